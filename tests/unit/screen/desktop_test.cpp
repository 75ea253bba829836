#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include <spanlet/screen/Desktop.hpp>

namespace spanlet {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

using Ids = std::pair<std::optional<std::uint32_t>, std::optional<std::uint32_t>>;

ScreenInfo display(std::uint32_t id, Rect frame) {
    return Desktop::makeScreenInfo(id, frame, 1, 900);
}

/// The ids screen() and screenContaining() (the grown-frame rule alone) give for `point`.
Ids picks(const std::vector<ScreenInfo>& screens, Point point) {
    const auto id = [](const std::optional<ScreenInfo>& s) {
        return s ? std::optional(s->id) : std::nullopt;
    };
    return {id(Desktop::screen(point, screens)), id(Desktop::screenContaining(point, screens))};
}

TEST(DesktopTest, PicksTheDisplayOfAPoint) {
    constexpr auto none = std::nullopt;
    EXPECT_EQ(picks({}, {10, 10}), Ids(none, none));
    // Side by side, sharing the vertical edge x = 1440: frames grow by half a point, low edges
    // inside, high edges outside.
    const std::vector<ScreenInfo> two{display(1, {0, 0, 1440, 900}),
                                      display(2, {1440, 0, 1280, 1024})};
    EXPECT_EQ(picks(two, {1440, 100}), Ids(1, 1)) << "the shared edge belongs to the first";
    EXPECT_EQ(picks(two, {1440.5, 100}), Ids(2, 2));
    EXPECT_EQ(picks(two, {-0.5, 100}), Ids(1, 1));
    EXPECT_EQ(picks(two, {100, 900.5}), Ids(1, none)) << "outside: the nearest";
    EXPECT_EQ(picks(two, {1400, 1000}), Ids(2, none)) << "below the first, nearer the second";
    EXPECT_EQ(picks(two, {kNaN, kNaN}), Ids(1, none)) << "NaN: the first";
    // An L: a wide display on top, a narrow one below its left part. The empty corner's far
    // end is as near to both: the one listed first wins.
    const std::vector<ScreenInfo> l{display(1, {0, 0, 2000, 1000}),
                                    display(2, {0, 1000, 1000, 1000})};
    EXPECT_EQ(picks(l, {1500, 1500}), Ids(1, none));
    EXPECT_EQ(picks({l[1], l[0]}, {1500, 1500}), Ids(2, none));
}

TEST(DesktopTest, ScreenInfoFlipsWithPrimaryHeightAndTakesOnlyUsableScales) {
    // A 900-high primary and a display at bottom-left (1440, 300), 1280 × 1024.
    const Rect cocoa{1440, 300, 1280, 1024};
    const Rect topLeft{1440, -424, 1280, 1024};
    EXPECT_EQ(Desktop::flipped(topLeft, 900), cocoa);
    EXPECT_EQ(Desktop::flipped(cocoa, 900), topLeft);
    const ScreenInfo info = Desktop::makeScreenInfo(5, topLeft, 2, 900);
    EXPECT_EQ(info.frame, topLeft);
    EXPECT_EQ(info.cocoaFrame, cocoa);
    EXPECT_EQ(info.scale.factor(), 2);
    for (double scale : {0.0, -2.0, kNaN}) {
        EXPECT_EQ(Desktop::makeScreenInfo(1, topLeft, scale, 900).scale.factor(), 1) << scale;
    }
}

TEST(DesktopTest, PointerFromDevicePixels) {
    // A 2560 × 1600-pixel display at scale 2 (1280 × 800 points) left of a 1920 × 1080-pixel
    // one at scale 1. Qt keeps each top-left corner at its device position, so the second
    // display starts at x = 2560 points and the logical space has a gap from 1280 to 2560.
    const std::vector<Desktop::DeviceScreen> mixed{
        {{0, 0, 1280, 800}, {0, 0, 2560, 1600}, 2},
        {{2560, 0, 1920, 1080}, {2560, 0, 1920, 1080}, 1},
    };
    const auto logical = [&](Point device) {
        return Desktop::pointFromDevicePixels(device, mixed);
    };
    EXPECT_EQ(logical({2000, 101}), (Point{1000, 50.5}));
    EXPECT_EQ(logical({2559, 10}), (Point{1279.5, 5})) << "last pixel before the gap";
    EXPECT_EQ(logical({2560, 10}), (Point{2560, 10})) << "first pixel after the gap";
    EXPECT_EQ(logical({100, 1700}), (Point{50, 850})) << "outside: through the nearest";
    // A fractional scale, and a scale of 0 taken as 1.
    const Desktop::DeviceScreen fractional{{0, 0, 1280, 720}, {0, 0, 1920, 1080}, 1.5};
    EXPECT_EQ(Desktop::pointFromDevicePixels({300, 150}, std::vector{fractional}),
              (Point{200, 100}));
    const Desktop::DeviceScreen zero{{0, 0, 100, 100}, {0, 0, 100, 100}, 0};
    EXPECT_EQ(Desktop::pointFromDevicePixels({40, 60}, std::vector{zero}), (Point{40, 60}));
    EXPECT_EQ(Desktop::pointFromDevicePixels({12.5, -3}, {}), (Point{12.5, -3})) << "none";
}

} // namespace
} // namespace spanlet
