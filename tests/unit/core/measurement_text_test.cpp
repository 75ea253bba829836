#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>

#include <spanlet/MeasurementText.hpp>

namespace spanlet {
namespace {

constexpr auto pt = MeasureUnit::points;
constexpr auto px = MeasureUnit::pixels;

// Plain text is in the user's unit; CSS and SwiftUI are always in points.
TEST(MeasurementTextTest, SizesAndDistances) {
    using enum CopyStyle;
    const auto size = [](std::int64_t width, std::int64_t height, double scale, MeasureUnit unit,
                         CopyStyle style) {
        return MeasurementText::size(width, height, DisplayScale(scale), unit, style);
    };
    EXPECT_EQ(size(240, 81, 2, px, plain), "240 × 81 px");
    EXPECT_EQ(size(240, 81, 2, pt, plain), "120 × 40.5 pt");
    EXPECT_EQ(size(240, 81, 2, pt, css), "width: 120px;\nheight: 40.5px;");
    EXPECT_EQ(size(240, 81, 2, px, css), "width: 120px;\nheight: 40.5px;");
    EXPECT_EQ(size(240, 81, 2, px, swiftUI), ".frame(width: 120, height: 40.5)");
    EXPECT_EQ(size(0, 0, 2, px, plain), "0 × 0 px");
    EXPECT_EQ(size(100, 100, 1.5, pt, plain), "66.67 × 66.67 pt");
    EXPECT_EQ(MeasurementText::distance(1, DisplayScale::retina, pt, plain), "0.5 pt");
    EXPECT_EQ(MeasurementText::distance(1, DisplayScale::retina, px, css), "0.5px");
    EXPECT_EQ(MeasurementText::distance(1, DisplayScale::retina, px, swiftUI), "0.5");
    EXPECT_EQ(MeasurementText::spoken(240, 81, DisplayScale::retina, pt), "120 by 40.5 points");
    EXPECT_EQ(MeasurementText::spoken(240, 81, DisplayScale::retina, px), "240 by 81 pixels");
}

Cross sampleCross(double scale) {
    Cross c;
    c.left = 20;
    c.right = 221;
    c.up = 3;
    c.down = 4;
    c.scale = scale;
    return c;
}

TEST(MeasurementTextTest, CrossBoxAndDistancesIgnoringOpenSides) {
    Cross c = sampleCross(2);
    for (const bool open : {false, true}) {
        c.openLeft = c.openRight = c.openUp = c.openDown = open;
        EXPECT_EQ(MeasurementText::distances(c, pt), "left 10 · right 110.5 · up 1.5 · down 2 pt");
        EXPECT_EQ(MeasurementText::distances(c, px), "left 20 · right 221 · up 3 · down 4 px");
        EXPECT_EQ(MeasurementText::cross(c, px, CopyStyle::plain), "241 × 7 px");
        EXPECT_EQ(MeasurementText::cross(c, pt, CopyStyle::css), "width: 120.5px;\nheight: 3.5px;");
        EXPECT_EQ(MeasurementText::cross(c, pt, CopyStyle::swiftUI),
                  ".frame(width: 120.5, height: 3.5)");
    }
}

TEST(MeasurementTextTest, CrossWithBadScaleCountsAsOne) {
    for (const double scale : {0.0, -2.0, std::nan("")}) {
        SCOPED_TRACE(scale);
        const Cross c = sampleCross(scale);
        EXPECT_EQ(MeasurementText::cross(c, pt, CopyStyle::plain), "241 × 7 pt");
        EXPECT_EQ(MeasurementText::cross(c, pt, CopyStyle::css), "width: 241px;\nheight: 7px;");
        EXPECT_EQ(MeasurementText::distances(c, pt), "left 20 · right 221 · up 3 · down 4 pt");
    }
}

TEST(MeasurementTextTest, ExtremeCrossDistancesDoNotOverflow) {
    Cross c;
    c.left = c.right = std::numeric_limits<std::int64_t>::max();
    c.up = c.down = std::numeric_limits<std::int64_t>::min();
    const std::string text = MeasurementText::cross(c, px, CopyStyle::plain);
    EXPECT_EQ(text.substr(text.size() - 3), " px");
    EXPECT_NE(text.find(" × -"), std::string::npos);
}

} // namespace
} // namespace spanlet
