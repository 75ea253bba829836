#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <tuple>
#include <vector>

#include <spanlet/Ruler.hpp>

namespace spanlet {
namespace {

using Level = RulerTick::Level;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(RulerTest, StepsMatchTheRulerSpacings) {
    const auto steps = [](MeasureUnit unit, double scale) {
        const RulerSteps s = Ruler::steps(DisplayScale(scale), unit, 2, 40);
        return std::tuple(s.minor, s.middle, s.major);
    };
    using Middle = std::optional<double>;
    // Points do not depend on the scale.
    EXPECT_EQ(steps(MeasureUnit::points, 2), std::tuple(2.0, Middle(10), 50.0));
    EXPECT_EQ(steps(MeasureUnit::pixels, 3), std::tuple(10.0, Middle(50), 200.0));
    // No candidate is wide enough: the largest, and ten of it between labels.
    EXPECT_EQ(steps(MeasureUnit::pixels, 10000), std::tuple(5000.0, Middle(), 50000.0));
}

TEST(RulerTest, TicksOnRetinaAndEndWithinTheAllowance) {
    // Every 5 px (2.5 pt), middle ticks every 20 px, labels every 100 px.
    const auto ticks = Ruler::ticks(100, DisplayScale::retina, MeasureUnit::pixels, 2);
    ASSERT_EQ(ticks.size(), 41U);
    EXPECT_EQ(ticks[1], (RulerTick{2.5, Level::minor, std::nullopt}));
    EXPECT_EQ(ticks[40], (RulerTick{100, Level::major, "200"}));
    const auto almost = Ruler::ticks(99.9999, DisplayScale::standard, MeasureUnit::points, 2);
    EXPECT_EQ(almost.back(), (RulerTick{100, Level::major, "100"}));
    EXPECT_EQ(Ruler::ticks(99.5, DisplayScale::standard, MeasureUnit::points, 2).back().position,
              98);
}

TEST(RulerTest, HostileLengthsStayBounded) {
    EXPECT_EQ(Ruler::ticks(kNaN, DisplayScale::standard, MeasureUnit::pixels, 2).size(), 1U);
    const auto ticks = Ruler::ticks(kInf, DisplayScale::standard, MeasureUnit::pixels, 2);
    EXPECT_LE(ticks.size(), 50001U);
    EXPECT_LE(ticks.back().position, Ruler::maximumTickedLength + 1);
}

TEST(RulerTextTest, Readout) {
    EXPECT_EQ(Ruler::readout(10.25, DisplayScale::retina, MeasureUnit::points), "10.3 pt");
    EXPECT_EQ(Ruler::readout(-1.25, DisplayScale::retina, MeasureUnit::pixels), "-3 px");
}

TEST(RulerTest, ClampedAndReachableKeepAGripOnScreen) {
    const auto clamped = [](Point origin, Size size, Rect frame) {
        const Point p = Ruler::clamped(origin, size, frame);
        return std::tuple(p.x, p.y);
    };
    const Rect screen{0, 0, 1000, 800};
    EXPECT_EQ(clamped({-5000, 900}, {300, 40}, screen), std::tuple(-260, 780)); // right 40 stay
    EXPECT_EQ(clamped({0, 0}, {300, 40}, {2000, 100, 1000, 800}), std::tuple(1740, 80));
    // A window larger than the frame: the bounds cross and the upper one wins.
    EXPECT_EQ(clamped({0, 0}, {20, 10}, {0, 0, 50, 25}), std::tuple(10, 5));

    const std::vector<Rect> screens{screen, {1000, 0, 800, 600}};
    EXPECT_TRUE(Ruler::isReachable({-261, 781, 300, 100}, screens));  // 39 × 19
    EXPECT_FALSE(Ruler::isReachable({-261, 782, 300, 100}, screens)); // 39 × 18
    EXPECT_FALSE(Ruler::isReachable({-262, 100, 300, 100}, screens)); // 38 × 100
    EXPECT_FALSE(Ruler::isReachable({kNaN, 0, 300, 100}, screens));
}

} // namespace
} // namespace spanlet
