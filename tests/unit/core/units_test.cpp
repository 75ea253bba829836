#include <clocale>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <string>

#include <spanlet/NumberText.hpp>
#include <spanlet/Units.hpp>

namespace spanlet {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(NumberTextTest, RoundsHalfAwayAndPrintsPlainDigitsWithAPoint) {
    EXPECT_EQ(NumberText::string(12.0, 2), "12");
    EXPECT_EQ(NumberText::string(1.0 / 3, 2), "0.33");
    EXPECT_EQ(NumberText::string(100.125, 2), "100.13");
    EXPECT_EQ(NumberText::string(1234.5678, 3), "1234.568");
    EXPECT_EQ(NumberText::string(0.005, 2), "0.01");
    EXPECT_EQ(NumberText::string(-0.004, 2), "0");
    EXPECT_EQ(NumberText::string(-2.5, 0), "-3");
    EXPECT_EQ(NumberText::string(12.345, 2), "12.35"); // the product is 1234.5 exactly
    EXPECT_EQ(NumberText::string(-1.005, 2), "-1");    // stored just below the half
    EXPECT_EQ(NumberText::string(-0.0, 2), "0");
    EXPECT_EQ(NumberText::string(std::nan(""), 2), "0");
    EXPECT_EQ(NumberText::string(kInf, 2), "0");
    EXPECT_EQ(NumberText::string(1234567.5, 1), "1234567.5"); // no thousands separator
    EXPECT_EQ(NumberText::string(1e20, 2), "100000000000000000000");
    // 2^63 no longer fits a 64-bit integer.
    EXPECT_EQ(NumberText::string(9223372036854775808.0, 2), "9223372036854775808");
    EXPECT_EQ(NumberText::string(12.5, -3), "13"); // digits are clamped to 0–15
    EXPECT_EQ(NumberText::string(0.5, 400), "0.5");
    const std::string largest = NumberText::string(std::numeric_limits<double>::max(), 2);
    EXPECT_EQ(largest.size(), 309U);
    EXPECT_EQ(largest.find_first_not_of("0123456789"), std::string::npos);
    EXPECT_EQ(NumberText::string(-std::numeric_limits<double>::max(), 0).front(), '-');
}

TEST(NumberTextTest, LocaleIsTheOneUnderTest) {
    // The de_DE run sets this so we know the comma locale really was in effect.
    if (std::getenv("SPANLET_EXPECT_COMMA_LOCALE") != nullptr) {
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    }
    EXPECT_EQ(NumberText::string(12.5, 2), "12.5");
}

TEST(DisplayScaleTest, InvalidFactorsBecomeOne) {
    for (const double bad : {0.0, -2.0, std::nan(""), kInf}) {
        EXPECT_EQ(DisplayScale(bad).factor(), 1) << bad;
    }
    EXPECT_EQ(DisplayScale(1.5).factor(), 1.5);
    EXPECT_EQ(fromRawValue<MeasureUnit>("Points"), std::nullopt);
}

TEST(DisplayScaleTest, ConversionsAndRounding) {
    const DisplayScale two(2);
    EXPECT_EQ(two.roundedToPixel(10.3), 10.5);
    EXPECT_EQ(two.roundedToPixel(10.25), 10.5);
    EXPECT_EQ(DisplayScale::standard.roundedToPixel(10.25), 10);
    EXPECT_EQ(two.roundedToPixel(-10.25), -10.5);
    EXPECT_EQ(two.step(MeasureUnit::pixels), 0.5);
    EXPECT_EQ(two.step(MeasureUnit::points), 1);
    EXPECT_EQ(DisplayScale(1.5).valueOfPixels(3, MeasureUnit::points), 2);
}

TEST(DisplayScaleTest, Texts) {
    const DisplayScale two(2);
    EXPECT_EQ(two.textOfPoints(10.5, MeasureUnit::pixels), "21 px");
    EXPECT_EQ(two.textOfPoints(10.5, MeasureUnit::points), "10.5 pt");
    EXPECT_EQ(two.textOfPixels(3, MeasureUnit::points), "1.5 pt");
    EXPECT_EQ(two.textOfPixels(3, MeasureUnit::pixels), "3 px");
    EXPECT_EQ(two.textOfPoints(0, MeasureUnit::pixels), "0 px");
    EXPECT_EQ(DisplayScale::standard.textOfPoints(-3, MeasureUnit::points), "-3 pt");
}

} // namespace
} // namespace spanlet
