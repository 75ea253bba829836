#include <gtest/gtest.h>
#include <limits>
#include <string>

#include <spanlet/screen/ScreenCapture.hpp>

namespace spanlet {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct SizeCase {
    const char* name;
    Rect rect;
    double scale;
    ScreenCapture::PixelSize size;
};

class OutputSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(OutputSizeTest, RoundsHalfAwayAtLeastOne) {
    const auto& c = GetParam();
    EXPECT_EQ(ScreenCapture::outputSize(c.rect, c.scale), c.size);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputSizeTest,
    ::testing::Values(SizeCase{"row_and_column", {0, 0, 1440, 1}, 2, {2880, 2}},

                      SizeCase{"sub_pixel_rounds_up_to_one", {0, 0, 0.4, 0.4}, 2, {1, 1}},

                      SizeCase{"half_rounds_away", {0, 0, 0.75, 1.25}, 2, {2, 3}},
                      SizeCase{"fractional_scale", {0, 0, 10, 3}, 1.5, {15, 5}},
                      SizeCase{"negative_size", {0, 0, -10, -10}, 1, {1, 1}},
                      SizeCase{"nan_size", {0, 0, kNaN, 5}, 1, {1, 5}},

                      SizeCase{"nan_scale", {0, 0, 10, 10}, kNaN, {1, 1}}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace spanlet
