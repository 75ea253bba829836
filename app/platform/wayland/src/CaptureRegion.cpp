#include <algorithm>
#include <cmath>
#include <vector>

#include <spanlet/DevicePixels.hpp>
#include <spanlet/screen/ScreenCapture.hpp>
#include <spanlet/wayland/CaptureRegion.hpp>

namespace spanlet::CaptureRegion {

namespace {

// wl_shm formats: the first two are little-endian words (bytes B, G, R, A in memory), the
// others fourcc codes for bytes R, G, B, A.
constexpr std::uint32_t kArgb8888 = 0;
constexpr std::uint32_t kXrgb8888 = 1;
constexpr std::uint32_t kAbgr8888 = 0x34324241; // 'AB24'
constexpr std::uint32_t kXbgr8888 = 0x34324258; // 'XB24'

} // namespace

std::optional<Region> covering(const Rect& rect, Size outputSize) {
    const double x0 = std::max(std::floor(rect.minX()), 0.0);
    const double y0 = std::max(std::floor(rect.minY()), 0.0);
    const double x1 = std::min(std::ceil(rect.maxX()), std::floor(outputSize.width));
    const double y1 = std::min(std::ceil(rect.maxY()), std::floor(outputSize.height));
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1) ||
        !(x1 > x0) || !(y1 > y0)) {
        return std::nullopt;
    }
    return Region{static_cast<std::int32_t>(x0), static_cast<std::int32_t>(y0),
                  static_cast<std::int32_t>(x1 - x0), static_cast<std::int32_t>(y1 - y0)};
}

wayland::PixelRect devicePixels(const Rect& rect, double scale) {
    const double px = std::floor(rect.minX());
    const double py = std::floor(rect.minY());
    const Rect points{px, py, std::ceil(rect.maxX()) - px, std::ceil(rect.maxY()) - py};
    const DevicePixels::Span d = DevicePixels::enclosing(points, scale);
    const double margin = scale == std::floor(scale) ? 0 : 1;
    const double x0 = d.minX - margin;
    const double y0 = d.minY - margin;
    const double x1 = d.maxX + margin;
    const double y1 = d.maxY + margin;
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1) ||
        std::abs(x0) > 1e9 || std::abs(y0) > 1e9 || std::abs(x1) > 1e9 || std::abs(y1) > 1e9) {
        return {};
    }
    return {static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
            static_cast<int>(y1 - y0)};
}

bool readable(std::uint32_t format) {
    return format == kArgb8888 || format == kXrgb8888 || format == kAbgr8888 || format == kXbgr8888;
}

std::optional<PixelBuffer> pixels(const Frame& frame, const Region& region, const Rect& rect,
                                  double scale) {
    if (!readable(frame.format) || frame.width < 1 || frame.height < 1 || region.width < 1 ||
        region.height < 1 || frame.stride < frame.width * 4 ||
        frame.bytes.size() < static_cast<std::size_t>(frame.stride) * frame.height) {
        return std::nullopt;
    }
    const bool bgr = frame.format == kArgb8888 || frame.format == kXrgb8888;
    const bool opaque = frame.format == kXrgb8888 || frame.format == kXbgr8888;
    // The frame's own pixels per point, which may differ from `scale` in the last digit.
    const double sx = static_cast<double>(frame.width) / region.width;
    const double sy = static_cast<double>(frame.height) / region.height;
    const auto left = static_cast<std::int64_t>(std::round((rect.x - region.x) * sx));
    const auto top = static_cast<std::int64_t>(std::round((rect.y - region.y) * sy));
    const ScreenCapture::PixelSize size = ScreenCapture::outputSize(rect, scale);

    // Opaque formats go straight into pixels; with alpha, the colours are un-premultiplied.
    std::vector<RGBA> pixels(static_cast<std::size_t>(size.width * size.height), RGBA::clear);
    const std::int64_t i0 = std::clamp<std::int64_t>(-left, 0, size.width);
    const std::int64_t i1 = std::clamp<std::int64_t>(frame.width - left, i0, size.width);
    for (std::int64_t j = 0; j < size.height; ++j) {
        const std::int64_t y = top + j;
        if (y < 0 || y >= frame.height) {
            continue;
        }
        const std::int64_t row = frame.yInvert ? frame.height - 1 - y : y;
        const std::uint8_t* p = frame.bytes.data() + row * frame.stride + (left + i0) * 4;
        RGBA* q = pixels.data() + j * size.width + i0;
        for (std::int64_t i = i0; i < i1; ++i, p += 4, ++q) {
            *q = bgr ? RGBA{p[2], p[1], p[0], opaque ? std::uint8_t{255} : p[3]}
                     : RGBA{p[0], p[1], p[2], opaque ? std::uint8_t{255} : p[3]};
        }
    }
    if (opaque) {
        return PixelBuffer(size.width, size.height, std::move(pixels));
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(pixels.size() * 4);
    for (const RGBA p : pixels) {
        bytes.insert(bytes.end(), {p.r, p.g, p.b, p.a});
    }
    return PixelBuffer::fromPremultipliedBytes(size.width, size.height, bytes);
}

} // namespace spanlet::CaptureRegion
