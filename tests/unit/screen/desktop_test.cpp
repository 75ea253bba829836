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

/// The ids screen() and screenContaining() (the grown-frame rule alone) give for `point`.
Ids picks(const std::vector<ScreenInfo>& screens, Point point) {
    const auto id = [](const std::optional<ScreenInfo>& s) {
        return s ? std::optional(s->id) : std::nullopt;
    };
    return {id(Desktop::screen(point, screens)), id(Desktop::screenContaining(point, screens))};
}

TEST(DesktopTest, PicksTheDisplayOfAPointFlipsAndTakesOnlyUsableScales) {
    constexpr auto none = std::nullopt;
    EXPECT_EQ(picks({}, {10, 10}), Ids(none, none));
    // Side by side, sharing the edge x = 1440: frames grow by half a point, low edges inside.
    const std::vector<ScreenInfo> two{Desktop::makeScreenInfo(1, {0, 0, 1440, 900}, 1, 900),
                                      Desktop::makeScreenInfo(2, {1440, 0, 1280, 1024}, 1, 900)};
    EXPECT_EQ(picks(two, {1440, 100}), Ids(1, 1)) << "the shared edge belongs to the first";
    EXPECT_EQ(picks(two, {1440.5, 100}), Ids(2, 2));
    EXPECT_EQ(picks(two, {1400, 1000}), Ids(2, none)) << "outside: the nearest";
    EXPECT_EQ(picks(two, {kNaN, kNaN}), Ids(1, none)) << "NaN: the first";
    // Flipped about the primary's height; unusable scales taken as 1.
    EXPECT_EQ(Desktop::flipped({1440, -424, 1280, 1024}, 900), (Rect{1440, 300, 1280, 1024}));
    EXPECT_EQ(Desktop::makeScreenInfo(1, {0, 0, 9, 9}, kNaN, 900).scale.factor(), 1);
}

TEST(DesktopTest, PointerFromDevicePixels) {
    // 2560 × 1600 pixels at scale 2 left of 1920 × 1080 at scale 1: Qt keeps each top-left
    // at its device position, so the logical space has a gap from 1280 to 2560.
    const std::vector<Desktop::DeviceScreen> mixed{
        {{0, 0, 1280, 800}, {0, 0, 2560, 1600}, 2},
        {{2560, 0, 1920, 1080}, {2560, 0, 1920, 1080}, 1},
    };
    EXPECT_EQ(Desktop::pointFromDevicePixels({2559, 11}, mixed), (Point{1279.5, 5.5}));
    EXPECT_EQ(Desktop::pointFromDevicePixels({2560, 10}, mixed), (Point{2560, 10}));
    EXPECT_EQ(Desktop::pointFromDevicePixels({100, 1700}, mixed), (Point{50, 850})) << "outside";
    const Desktop::DeviceScreen zero{{0, 0, 100, 100}, {0, 0, 100, 100}, 0};
    EXPECT_EQ(Desktop::pointFromDevicePixels({40, 60}, std::vector{zero}), (Point{40, 60}));
}

} // namespace
} // namespace spanlet
