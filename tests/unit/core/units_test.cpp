#include <clocale>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <ostream>
#include <string>

#include <spanlet/NumberText.hpp>
#include <spanlet/Units.hpp>

namespace spanlet {
namespace {

struct NumberCase {
    const char* name;
    double value;
    int digits;
    const char* text;
};

void PrintTo(const NumberCase& c, std::ostream* os) {
    *os << c.name;
}

class NumberTextTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberTextTest, Formats) {
    const auto& c = GetParam();
    EXPECT_EQ(NumberText::string(c.value, c.digits), c.text);
}

constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Cases, NumberTextTest,
    ::testing::Values(NumberCase{"whole", 12.0, 2, "12"}, NumberCase{"third", 1.0 / 3, 2, "0.33"},
                      NumberCase{"half_up_small", 0.005, 2, "0.01"},
                      NumberCase{"negative_rounds_to_zero", -0.004, 2, "0"},
                      NumberCase{"half_away_zero_digits", 2.5, 0, "3"},
                      NumberCase{"negative_half_away", -2.5, 0, "-3"},
                      NumberCase{"stored_value_exact_half", 12.345, 2, "12.35"},
                      NumberCase{"stored_value_below_half", -1.005, 2, "-1"},

                      NumberCase{"tiny_three_digits", 0.0004, 3, "0"},
                      NumberCase{"negative_zero", -0.0, 2, "0"},

                      NumberCase{"nan", std::nan(""), 2, "0"}, NumberCase{"infinity", kInf, 2, "0"},

                      NumberCase{"no_thousands_separator", 1234567.5, 1, "1234567.5"},

                      NumberCase{"two_pow_63", 9223372036854775808.0, 2, "9223372036854775808"},

                      NumberCase{"huge_no_exponent", 1e20, 2, "100000000000000000000"},
                      NumberCase{"negative_digits_clamped", 12.5, -3, "13"},
                      NumberCase{"many_digits_clamped", 0.5, 400, "0.5"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(NumberTextTest, LargestDoublePrintsAsPlainDigits) {
    const std::string text = NumberText::string(std::numeric_limits<double>::max(), 2);
    EXPECT_EQ(text.size(), 309U);
    EXPECT_EQ(text.find_first_not_of("0123456789"), std::string::npos);
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
    EXPECT_EQ(DisplayScale(0).factor(), 1);
    EXPECT_EQ(DisplayScale(-2).factor(), 1);
    EXPECT_EQ(DisplayScale(std::nan("")).factor(), 1);
    EXPECT_EQ(DisplayScale(kInf).factor(), 1);
    EXPECT_EQ(DisplayScale(1.5).factor(), 1.5);
}

TEST(DisplayScaleTest, ConversionsAndRounding) {
    const DisplayScale two(2);
    EXPECT_EQ(two.roundedToPixel(10.3), 10.5);
    EXPECT_EQ(two.roundedToPixel(10.25), 10.5);
    EXPECT_EQ(DisplayScale::standard.roundedToPixel(10.25), 10);
    EXPECT_EQ(two.roundedToPixel(-10.25), -10.5);
    EXPECT_EQ(two.step(MeasureUnit::pixels), 0.5);
    EXPECT_EQ(two.step(MeasureUnit::points), 1);
    EXPECT_EQ(two.pointsFrom(two.value(7.25, MeasureUnit::pixels), MeasureUnit::pixels), 7.25);
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
