#include <cmath>

#include <spanlet/DevicePixels.hpp>
#include <spanlet/screen/ScreenCapture.hpp>

namespace spanlet::ScreenCapture {

namespace {

// Display sizes in device pixels are far below this; anything larger is not a real request.
constexpr double kMaxSide = 1 << 20;

std::int64_t side(double points, double scale) {
    const double pixels = DevicePixels::nearest(points, scale);
    if (!std::isfinite(pixels) || pixels < 1) {
        return 1;
    }
    return static_cast<std::int64_t>(std::min(pixels, kMaxSide));
}

} // namespace

PixelSize outputSize(const Rect& rect, double scale) {
    return {side(rect.width, scale), side(rect.height, scale)};
}

} // namespace spanlet::ScreenCapture
