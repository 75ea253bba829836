#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <spanlet/screen/Desktop.hpp>

namespace spanlet {
namespace {

ScreenInfo display(std::uint32_t id, Rect frame, double scale = 1) {
    return Desktop::makeScreenInfo(id, frame, scale, 900);
}

// Two displays side by side, sharing the vertical edge x = 1440.
const std::vector<ScreenInfo> kSideBySide{display(1, {0, 0, 1440, 900}),
                                          display(2, {1440, 0, 1280, 1024})};
// An L: a wide display on top, a narrow one below its left part; the corner right of the
// lower display and below the upper one is empty.
const std::vector<ScreenInfo> kLShape{display(1, {0, 0, 2000, 1000}),
                                      display(2, {0, 1000, 1000, 1000})};
// The same L listed the other way round: ties now go to the lower display.
const std::vector<ScreenInfo> kLShapeReversed{display(2, {0, 1000, 1000, 1000}),
                                              display(1, {0, 0, 2000, 1000})};

struct ScreenCase {
    const char* name;
    const std::vector<ScreenInfo>* screens;
    Point point;
    std::optional<std::uint32_t> screen;     // screen(for:in:)
    std::optional<std::uint32_t> containing; // the grown-frame rule alone
};

class DesktopScreenTest : public ::testing::TestWithParam<ScreenCase> {};

std::optional<std::uint32_t> idOf(const std::optional<ScreenInfo>& s) {
    return s ? std::optional(s->id) : std::nullopt;
}

TEST_P(DesktopScreenTest, PicksDisplay) {
    const auto& c = GetParam();
    EXPECT_EQ(idOf(Desktop::screen(c.point, *c.screens)), c.screen);
    EXPECT_EQ(idOf(Desktop::screenContaining(c.point, *c.screens)), c.containing);
}

const std::vector<ScreenInfo> kNone;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Cases, DesktopScreenTest,
    ::testing::Values(
        ScreenCase{"no_displays", &kNone, {10, 10}, std::nullopt, std::nullopt},

        ScreenCase{"shared_edge_belongs_to_first", &kSideBySide, {1440, 100}, 1, 1},

        ScreenCase{"half_point_past_right_edge_is_next", &kSideBySide, {1440.5, 100}, 2, 2},
        ScreenCase{"half_point_left_of_left_edge", &kSideBySide, {-0.5, 100}, 1, 1},

        ScreenCase{"just_inside_grown_bottom_edge", &kSideBySide, {100, 900.49}, 1, 1},
        ScreenCase{"grown_bottom_edge_excluded", &kSideBySide, {100, 900.5}, 1, std::nullopt},
        ScreenCase{"one_point_left_falls_to_nearest", &kSideBySide, {-1, 100}, 1, std::nullopt},
        ScreenCase{"below_first_nearest_is_second", &kSideBySide, {1400, 1000}, 2, std::nullopt},
        ScreenCase{"l_corner_nearer_upper", &kLShape, {1500, 1100}, 1, std::nullopt},

        ScreenCase{"l_corner_tie_goes_to_first", &kLShape, {1500, 1500}, 1, std::nullopt},
        ScreenCase{"l_corner_tie_reversed_list", &kLShapeReversed, {1500, 1500}, 2, std::nullopt},

        ScreenCase{"nan_point_first_display", &kSideBySide, {kNaN, kNaN}, 1, std::nullopt},
        ScreenCase{"infinite_point_nearest", &kSideBySide, {kInf, 10}, 1, std::nullopt}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(DesktopTest, FlipsWithPrimaryHeightBothWays) {
    // A 900-high primary and a display at bottom-left (1440, 300), 1280 × 1024.
    const Rect cocoa{1440, 300, 1280, 1024};
    const Rect topLeft{1440, -424, 1280, 1024};
    EXPECT_EQ(Desktop::flipped(cocoa, 900), topLeft);
    EXPECT_EQ(Desktop::flipped(topLeft, 900), cocoa);
    const ScreenInfo info = Desktop::makeScreenInfo(5, topLeft, 2, 900);
    EXPECT_EQ(info.frame, topLeft);
    EXPECT_EQ(info.cocoaFrame, cocoa);
    EXPECT_EQ(info.scale.factor(), 2);
}

TEST(DesktopTest, UnusableScaleBecomesOne) {
    for (double scale : {0.0, -2.0, kNaN, kInf}) {
        EXPECT_EQ(Desktop::makeScreenInfo(1, {0, 0, 10, 10}, scale, 10).scale.factor(), 1) << scale;
    }
}

} // namespace
} // namespace spanlet
