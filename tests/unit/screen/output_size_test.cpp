#include <gtest/gtest.h>
#include <limits>

#include <spanlet/screen/ScreenCapture.hpp>

namespace spanlet {
namespace {

TEST(OutputSizeTest, RoundsHalfAwayAndIsAtLeastOnePixel) {
    using ScreenCapture::outputSize;
    using Size = ScreenCapture::PixelSize;
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(outputSize({0, 0, 0.75, 1.25}, 2), (Size{2, 3})) << "half rounds away";
    EXPECT_EQ(outputSize({0, 0, 0.4, -10}, 2), (Size{1, 1})) << "sub-pixel, negative";
    EXPECT_EQ(outputSize({0, 0, kNaN, 5}, 1), (Size{1, 5})) << "NaN side";
    EXPECT_EQ(outputSize({0, 0, 1e12, 1}, 1), (Size{1 << 20, 1})) << "huge side clamped";
}

} // namespace
} // namespace spanlet
