#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>

#include <spanlet/MeasurementText.hpp>

namespace spanlet {
namespace {

// ---- Sizes -------------------------------------------------------------------------------

struct SizeCase {
    const char* name;
    std::int64_t width;
    std::int64_t height;
    double scale;
    MeasureUnit unit;
    CopyStyle style;
    const char* text;
};

class MeasurementTextSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(MeasurementTextSizeTest, Text) {
    const auto& c = GetParam();
    EXPECT_EQ(MeasurementText::size(c.width, c.height, DisplayScale(c.scale), c.unit, c.style),
              c.text);
}

constexpr auto pt = MeasureUnit::points;
constexpr auto px = MeasureUnit::pixels;

INSTANTIATE_TEST_SUITE_P(
    Cases, MeasurementTextSizeTest,
    ::testing::Values(
        SizeCase{"retina_plain_pixels", 240, 81, 2, px, CopyStyle::plain, "240 × 81 px"},
        SizeCase{"retina_plain_points", 240, 81, 2, pt, CopyStyle::plain, "120 × 40.5 pt"},
        SizeCase{"retina_css_points", 240, 81, 2, pt, CopyStyle::css,
                 "width: 120px;\nheight: 40.5px;"},
        SizeCase{"retina_css_pixels_still_points", 240, 81, 2, px, CopyStyle::css,
                 "width: 120px;\nheight: 40.5px;"},
        SizeCase{"retina_swiftui_points", 240, 81, 2, pt, CopyStyle::swiftUI,
                 ".frame(width: 120, height: 40.5)"},

        SizeCase{"zero_size", 0, 0, 2, px, CopyStyle::plain, "0 × 0 px"},

        SizeCase{"scale_1_5_rounds_points", 100, 100, 1.5, pt, CopyStyle::plain,
                 "66.67 × 66.67 pt"},
        SizeCase{"scale_1_5_css", 100, 3, 1.5, px, CopyStyle::css, "width: 66.67px;\nheight: 2px;"},
        SizeCase{"zero_scale_counts_as_one", 240, 81, 0, pt, CopyStyle::plain, "240 × 81 pt"}),
    [](const auto& row) { return std::string(row.param.name); });

// ---- Single distances --------------------------------------------------------------------

struct DistanceCase {
    const char* name;
    std::int64_t pixels;
    double scale;
    MeasureUnit unit;
    CopyStyle style;
    const char* text;
};

class MeasurementTextDistanceTest : public ::testing::TestWithParam<DistanceCase> {};

TEST_P(MeasurementTextDistanceTest, Text) {
    const auto& c = GetParam();
    EXPECT_EQ(MeasurementText::distance(c.pixels, DisplayScale(c.scale), c.unit, c.style), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MeasurementTextDistanceTest,
    ::testing::Values(DistanceCase{"one_pixel_points", 1, 2, pt, CopyStyle::plain, "0.5 pt"},

                      DistanceCase{"css_always_points", 1, 2, px, CopyStyle::css, "0.5px"},
                      DistanceCase{"swiftui_bare_number", 1, 2, px, CopyStyle::swiftUI, "0.5"},

                      DistanceCase{"zero", 0, 2, pt, CopyStyle::css, "0px"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(MeasurementTextTest, Spoken) {
    EXPECT_EQ(MeasurementText::spoken(240, 81, DisplayScale::retina, pt), "120 by 40.5 points");
    EXPECT_EQ(MeasurementText::spoken(240, 81, DisplayScale::retina, px), "240 by 81 pixels");
}

// ---- Crosses -----------------------------------------------------------------------------

Cross sampleCross(double scale) {
    Cross c;
    c.left = 20;
    c.right = 221;
    c.up = 3;
    c.down = 4;
    c.scale = scale;
    return c;
}

TEST(MeasurementTextCrossTest, DistancesOnOneLine) {
    EXPECT_EQ(MeasurementText::distances(sampleCross(2), pt),
              "left 10 · right 110.5 · up 1.5 · down 2 pt");
    EXPECT_EQ(MeasurementText::distances(sampleCross(2), px),
              "left 20 · right 221 · up 3 · down 4 px");
}

TEST(MeasurementTextCrossTest, SizeOfTheEnclosedBox) {
    EXPECT_EQ(MeasurementText::cross(sampleCross(2), pt, CopyStyle::css),
              "width: 120.5px;\nheight: 3.5px;");
    EXPECT_EQ(MeasurementText::cross(sampleCross(2), px, CopyStyle::plain), "241 × 7 px");
    EXPECT_EQ(MeasurementText::cross(sampleCross(2), pt, CopyStyle::swiftUI),
              ".frame(width: 120.5, height: 3.5)");
}

TEST(MeasurementTextCrossTest, OpenSidesDoNotChangeTheText) {
    Cross open = sampleCross(2);
    open.openLeft = open.openRight = open.openUp = open.openDown = true;
    for (CopyStyle style : allCases<CopyStyle>) {
        EXPECT_EQ(MeasurementText::cross(open, pt, style),
                  MeasurementText::cross(sampleCross(2), pt, style));
    }
    EXPECT_EQ(MeasurementText::distances(open, pt), MeasurementText::distances(sampleCross(2), pt));
}

class MeasurementTextBadScaleTest : public ::testing::TestWithParam<double> {};

TEST_P(MeasurementTextBadScaleTest, CountsAsOne) {
    const Cross c = sampleCross(GetParam());
    EXPECT_EQ(MeasurementText::cross(c, pt, CopyStyle::plain), "241 × 7 pt");
    EXPECT_EQ(MeasurementText::cross(c, pt, CopyStyle::css), "width: 241px;\nheight: 7px;");
    EXPECT_EQ(MeasurementText::distances(c, pt), "left 20 · right 221 · up 3 · down 4 pt");
}

INSTANTIATE_TEST_SUITE_P(Scales, MeasurementTextBadScaleTest,
                         ::testing::Values(0.0, -2.0, std::nan("")), [](const auto& row) {
                             return row.index == 0 ? "zero" : row.index == 1 ? "negative" : "nan";
                         });

TEST(MeasurementTextCrossTest, ExtremeDistancesDoNotOverflow) {
    Cross c;
    c.left = c.right = std::numeric_limits<std::int64_t>::max();
    c.up = c.down = std::numeric_limits<std::int64_t>::min();
    const std::string text = MeasurementText::cross(c, px, CopyStyle::plain);
    EXPECT_EQ(text.substr(text.size() - 3), " px");
    EXPECT_NE(text.find(" × -"), std::string::npos);
}

TEST(MeasurementTextTest, CssHasExactlyOneLineFeedAndNoneTrailing) {
    for (MeasureUnit unit : allCases<MeasureUnit>) {
        for (CopyStyle style : allCases<CopyStyle>) {
            const std::string text = MeasurementText::size(241, 7, DisplayScale(1.5), unit, style);
            const auto lineFeeds = std::count(text.begin(), text.end(), '\n');
            EXPECT_EQ(lineFeeds, style == CopyStyle::css ? 1 : 0) << text;
            EXPECT_NE(text.back(), '\n');
        }
    }
}

} // namespace
} // namespace spanlet
