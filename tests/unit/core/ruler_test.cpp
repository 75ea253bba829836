#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

#include <spanlet/Ruler.hpp>

namespace spanlet {
namespace {

using Level = RulerTick::Level;

// ---- Step choice -------------------------------------------------------------------------

struct StepsCase {
    const char* name;
    MeasureUnit unit;
    double scale;
    double minor;
    std::optional<double> middle;
    double major;
};

class RulerStepsTest : public ::testing::TestWithParam<StepsCase> {};

TEST_P(RulerStepsTest, MatchesTheRulerSpacings) {
    const auto& c = GetParam();
    const RulerSteps s = Ruler::steps(DisplayScale(c.scale), c.unit, 2, 40);
    EXPECT_EQ(s, (RulerSteps{c.minor, c.middle, c.major}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, RulerStepsTest,
    ::testing::Values(StepsCase{"points_scale_1", MeasureUnit::points, 1, 2, 10, 50},

                      StepsCase{"points_scale_2", MeasureUnit::points, 2, 2, 10, 50},

                      StepsCase{"pixels_scale_1", MeasureUnit::pixels, 1, 2, 10, 50},
                      StepsCase{"pixels_scale_1_5", MeasureUnit::pixels, 1.5, 5, 20, 100},

                      StepsCase{"pixels_scale_3", MeasureUnit::pixels, 3, 10, 50, 200}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(RulerStepsTest, NoCandidateWideEnoughFallsBackToLargestAndTenfold) {
    const RulerSteps s = Ruler::steps(DisplayScale(10000), MeasureUnit::pixels, 2, 40);
    EXPECT_EQ(s.minor, 5000);
    EXPECT_EQ(s.major, 50000);
}

// ---- Tick layout -------------------------------------------------------------------------

TEST(RulerTicksTest, ZeroLengthHasOneLabelledMajorTick) {
    const auto ticks = Ruler::ticks(0, DisplayScale::retina, MeasureUnit::points, 2);
    ASSERT_EQ(ticks.size(), 1U);
    EXPECT_EQ(ticks[0], (RulerTick{0, Level::major, "0"}));
}

TEST(RulerTicksTest, AllowanceReachesTheMajorTickJustPastTheEnd) {
    const auto ticks = Ruler::ticks(99.9999, DisplayScale::standard, MeasureUnit::points, 2);
    ASSERT_EQ(ticks.size(), 51U);
    EXPECT_EQ(ticks.back(), (RulerTick{100, Level::major, "100"}));
}

TEST(RulerTicksTest, ShortOfAStepEndsOnTheLastWholeMinorTick) {
    const auto ticks = Ruler::ticks(99.5, DisplayScale::standard, MeasureUnit::points, 2);
    EXPECT_EQ(ticks.back(), (RulerTick{98, Level::minor, std::nullopt}));
}

TEST(RulerTicksTest, PixelRulerOnRetinaDisplay) {
    const auto ticks = Ruler::ticks(100, DisplayScale::retina, MeasureUnit::pixels, 2);
    ASSERT_EQ(ticks.size(), 41U);
    std::vector<std::pair<double, std::string>> labels;
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        EXPECT_DOUBLE_EQ(ticks[i].position, 2.5 * static_cast<double>(i));
        EXPECT_EQ(ticks[i].label.has_value(), ticks[i].level == Level::major);
        if (ticks[i].label) {
            labels.emplace_back(ticks[i].position, *ticks[i].label);
        }
    }
    EXPECT_EQ(labels,
              (std::vector<std::pair<double, std::string>>{{0, "0"}, {50, "100"}, {100, "200"}}));
    EXPECT_EQ(ticks[4].level, Level::middle); // 20 px
    EXPECT_EQ(ticks[1].level, Level::minor);  // 5 px
}

struct HostileLengthCase {
    const char* name;
    double length;
    double scale;
    double minimumSpacing;
    std::size_t maximumCount;
};

class RulerHostileLengthTest : public ::testing::TestWithParam<HostileLengthCase> {};

TEST_P(RulerHostileLengthTest, StaysBounded) {
    const auto& c = GetParam();
    const auto ticks =
        Ruler::ticks(c.length, DisplayScale(c.scale), MeasureUnit::pixels, c.minimumSpacing);
    ASSERT_FALSE(ticks.empty());
    EXPECT_LE(ticks.size(), c.maximumCount);
    EXPECT_EQ(ticks.front(), (RulerTick{0, Level::major, "0"}));
    for (const auto& tick : ticks) {
        EXPECT_TRUE(std::isfinite(tick.position));
        EXPECT_LE(tick.position, Ruler::maximumTickedLength + 1);
    }
}

constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Cases, RulerHostileLengthTest,
    ::testing::Values(HostileLengthCase{"nan", std::nan(""), 1, 2, 1},
                      HostileLengthCase{"infinite", kInf, 1, 2, 50001},

                      HostileLengthCase{"huge_scale", 1e5, 1e12, 2, 100001},
                      HostileLengthCase{"no_minimum_spacing", 1e9, 1, 0, 100001},
                      HostileLengthCase{"nan_minimum_spacing", 1e9, 1, std::nan(""), 100001}),
    [](const auto& row) { return std::string(row.param.name); });

// ---- Readout -----------------------------------------------------------------------------

struct ReadoutCase {
    const char* name;
    double offset;
    double scale;
    MeasureUnit unit;
    const char* text;
};

class RulerReadoutTest : public ::testing::TestWithParam<ReadoutCase> {};

TEST_P(RulerReadoutTest, Text) {
    const auto& c = GetParam();
    EXPECT_EQ(Ruler::readout(c.offset, DisplayScale(c.scale), c.unit), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RulerReadoutTest,
    ::testing::Values(ReadoutCase{"points_one_decimal", 10.25, 2, MeasureUnit::points, "10.3 pt"},
                      ReadoutCase{"pixels_half_rounds_up", 10.25, 2, MeasureUnit::pixels, "21 px"},
                      ReadoutCase{"points_whole", 12, 1, MeasureUnit::points, "12 pt"},

                      ReadoutCase{"pixels_scale_1_5", 10, 1.5, MeasureUnit::pixels, "15 px"},
                      ReadoutCase{"negative_pixels", -1.25, 2, MeasureUnit::pixels, "-3 px"},
                      ReadoutCase{"nan_offset", std::nan(""), 2, MeasureUnit::pixels, "0 px"}),
    [](const auto& row) { return std::string(row.param.name); });

// ---- Window placement --------------------------------------------------------------------

struct ClampCase {
    const char* name;
    Point origin;
    Size size;
    Rect frame;
    Point expected;
};

class RulerClampTest : public ::testing::TestWithParam<ClampCase> {};

TEST_P(RulerClampTest, KeepsTheGripOnTheFrame) {
    const auto& c = GetParam();
    EXPECT_EQ(Ruler::clamped(c.origin, c.size, c.frame), c.expected);
}

constexpr Rect kScreen{0, 0, 1000, 800};

INSTANTIATE_TEST_SUITE_P(
    Cases, RulerClampTest,
    ::testing::Values(
        ClampCase{"inside_unchanged", {100, 200}, {300, 40}, kScreen, {100, 200}},
        ClampCase{"far_left_keeps_right_40", {-5000, 200}, {300, 40}, kScreen, {-260, 200}},
        ClampCase{"far_right_keeps_left_40", {5000, 200}, {300, 40}, kScreen, {960, 200}},

        ClampCase{"far_down_keeps_top_20", {100, 900}, {300, 40}, kScreen, {100, 780}},
        ClampCase{"offset_frame", {0, 0}, {300, 40}, {2000, 100, 1000, 800}, {1740, 80}},
        ClampCase{"crossing_bounds_upper_wins", {0, 0}, {20, 10}, {0, 0, 50, 25}, {10, 5}}),
    [](const auto& row) { return std::string(row.param.name); });

struct ReachCase {
    const char* name;
    Rect window;
    bool reachable;
};

class RulerReachTest : public ::testing::TestWithParam<ReachCase> {};

TEST_P(RulerReachTest, NeedsAlmostAGripOfOverlap) {
    const auto& c = GetParam();
    const std::vector<Rect> screens{kScreen, {1000, 0, 800, 600}};
    EXPECT_EQ(Ruler::isReachable(c.window, screens), c.reachable);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RulerReachTest,
    ::testing::Values(ReachCase{"overlap_39_by_19", {-261, 781, 300, 100}, true},
                      ReachCase{"overlap_39_by_18", {-261, 782, 300, 100}, false},

                      ReachCase{"empty_window", {100, 100, 0, 0}, false},
                      ReachCase{"nan_window", {std::nan(""), 0, 300, 100}, false},
                      ReachCase{"infinite_window", {0, 0, kInf, kInf}, false}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(RulerReachTest, NoScreensIsUnreachable) {
    EXPECT_FALSE(Ruler::isReachable({0, 0, 300, 100}, {}));
}

} // namespace
} // namespace spanlet
