#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include <spanlet/Ruler.hpp>

namespace spanlet {
namespace {

using Level = RulerTick::Level;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(RulerTest, StepsMatchTheRulerSpacings) {
    const struct {
        MeasureUnit unit;
        double scale, minor;
        std::optional<double> middle;
        double major;
    } rows[] = {
        {MeasureUnit::points, 1, 2, 10, 50},
        {MeasureUnit::points, 2, 2, 10, 50}, // points do not depend on the scale
        {MeasureUnit::pixels, 1.5, 5, 20, 100},
        {MeasureUnit::pixels, 3, 10, 50, 200},
        // No candidate is wide enough: the largest, and ten of it between labels.
        {MeasureUnit::pixels, 10000, 5000, std::nullopt, 50000},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.scale);
        const RulerSteps s = Ruler::steps(DisplayScale(row.scale), row.unit, 2, 40);
        EXPECT_EQ(std::tuple(s.minor, s.middle, s.major),
                  std::tuple(row.minor, row.middle, row.major));
    }
}

TEST(RulerTest, TicksStartAtZeroAndEndWithinTheAllowance) {
    EXPECT_EQ(Ruler::ticks(0, DisplayScale::retina, MeasureUnit::points, 2),
              std::vector<RulerTick>{(RulerTick{0, Level::major, "0"})});
    const auto almost = Ruler::ticks(99.9999, DisplayScale::standard, MeasureUnit::points, 2);
    ASSERT_EQ(almost.size(), 51U);
    EXPECT_EQ(almost.back(), (RulerTick{100, Level::major, "100"}));
    EXPECT_EQ(Ruler::ticks(99.5, DisplayScale::standard, MeasureUnit::points, 2).back(),
              (RulerTick{98, Level::minor, std::nullopt}));
}

TEST(RulerTest, PixelTicksOnRetinaDisplay) {
    // Every 5 px (2.5 pt), middle ticks every 20 px, labels every 100 px.
    const auto ticks = Ruler::ticks(100, DisplayScale::retina, MeasureUnit::pixels, 2);
    ASSERT_EQ(ticks.size(), 41U);
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        EXPECT_DOUBLE_EQ(ticks[i].position, 2.5 * static_cast<double>(i));
        EXPECT_EQ(ticks[i].level == Level::major, i % 20 == 0) << i;
        EXPECT_EQ(ticks[i].label.has_value(), i % 20 == 0) << i;
    }
    EXPECT_EQ(std::tuple(ticks[1].level, ticks[4].level), std::tuple(Level::minor, Level::middle));
    EXPECT_EQ(std::tuple(ticks[20].label, ticks[40].label), std::tuple("100", "200"));
}

TEST(RulerTest, HostileLengthsStayBounded) {
    const struct {
        const char* name;
        double length, scale, minimumSpacing;
        std::size_t maximumCount;
    } rows[] = {
        {"nan", kNaN, 1, 2, 1},
        {"infinite", kInf, 1, 2, 50001},
        {"huge_scale", 1e5, 1e12, 2, 100001},
        {"no_minimum_spacing", 1e9, 1, 0, 100001},
        {"nan_minimum_spacing", 1e9, 1, kNaN, 100001},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto ticks = Ruler::ticks(row.length, DisplayScale(row.scale), MeasureUnit::pixels,
                                        row.minimumSpacing);
        ASSERT_FALSE(ticks.empty());
        EXPECT_LE(ticks.size(), row.maximumCount);
        EXPECT_EQ(ticks.front(), (RulerTick{0, Level::major, "0"}));
        for (const auto& tick : ticks) {
            ASSERT_TRUE(std::isfinite(tick.position));
            ASSERT_LE(tick.position, Ruler::maximumTickedLength + 1);
        }
    }
}

TEST(RulerTextTest, Readout) {
    EXPECT_EQ(Ruler::readout(10.25, DisplayScale::retina, MeasureUnit::points), "10.3 pt");
    EXPECT_EQ(Ruler::readout(10.25, DisplayScale::retina, MeasureUnit::pixels), "21 px");
    EXPECT_EQ(Ruler::readout(12, DisplayScale::standard, MeasureUnit::points), "12 pt");
    EXPECT_EQ(Ruler::readout(10, DisplayScale(1.5), MeasureUnit::pixels), "15 px");
    EXPECT_EQ(Ruler::readout(-1.25, DisplayScale::retina, MeasureUnit::pixels), "-3 px");
    EXPECT_EQ(Ruler::readout(kNaN, DisplayScale::retina, MeasureUnit::pixels), "0 px");
}

TEST(RulerTest, ClampedKeepsTheGripOnTheFrame) {
    const Rect screen{0, 0, 1000, 800};
    const Size size{300, 40};
    const auto clamped = [&](Point origin, Rect frame) {
        const Point p = Ruler::clamped(origin, size, frame);
        return std::tuple(p.x, p.y);
    };
    EXPECT_EQ(clamped({100, 200}, screen), std::tuple(100, 200));
    EXPECT_EQ(clamped({-5000, 200}, screen), std::tuple(-260, 200)); // its right 40 stay on
    EXPECT_EQ(clamped({5000, 200}, screen), std::tuple(960, 200));
    EXPECT_EQ(clamped({100, 900}, screen), std::tuple(100, 780));
    EXPECT_EQ(clamped({0, 0}, {2000, 100, 1000, 800}), std::tuple(1740, 80));
    // A window larger than the frame: the bounds cross and the upper one wins.
    const Point p = Ruler::clamped({0, 0}, {20, 10}, {0, 0, 50, 25});
    EXPECT_EQ(std::tuple(p.x, p.y), std::tuple(10, 5));
}

TEST(RulerTest, ReachableNeedsAlmostAGripOfOverlap) {
    const std::vector<Rect> screens{{0, 0, 1000, 800}, {1000, 0, 800, 600}};
    EXPECT_TRUE(Ruler::isReachable({-261, 781, 300, 100}, screens));  // 39 × 19
    EXPECT_FALSE(Ruler::isReachable({-261, 782, 300, 100}, screens)); // 39 × 18
    EXPECT_FALSE(Ruler::isReachable({-262, 100, 300, 100}, screens)); // 38 × 100
    EXPECT_FALSE(Ruler::isReachable({100, 100, 0, 0}, screens));
    EXPECT_FALSE(Ruler::isReachable({kNaN, 0, 300, 100}, screens));
    EXPECT_FALSE(Ruler::isReachable({0, 0, kInf, kInf}, screens));
    EXPECT_FALSE(Ruler::isReachable({0, 0, 300, 100}, {}));
}

} // namespace
} // namespace spanlet
