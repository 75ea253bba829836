#include <algorithm>
#include <cmath>

#include <spanlet/PixelBuffer.hpp>

namespace spanlet {

namespace {

std::size_t count(std::int64_t width, std::int64_t height) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

// round(c × 255 ÷ a), half away from zero, clamped to a byte.
std::uint8_t unpremultiply(std::uint8_t c, std::uint8_t a) {
    const double v = std::round(c * 255.0 / a);
    return static_cast<std::uint8_t>(std::min(v, 255.0));
}

} // namespace

PixelBuffer::PixelBuffer(std::int64_t width, std::int64_t height, RGBA fill)
    : width_(std::max<std::int64_t>(width, 0)), height_(std::max<std::int64_t>(height, 0)),
      pixels_(count(width_, height_), fill) {}

PixelBuffer::PixelBuffer(std::int64_t width, std::int64_t height, std::vector<RGBA> pixels) {
    if (width >= 0 && height >= 0 && pixels.size() == count(width, height)) {
        width_ = width;
        height_ = height;
        pixels_ = std::move(pixels);
    }
}

std::optional<PixelBuffer>
PixelBuffer::fromPremultipliedBytes(std::int64_t width, std::int64_t height,
                                    std::span<const std::uint8_t> bytes) {
    if (width < 1 || height < 1 ||
        bytes.size() / 4 / static_cast<std::size_t>(width) != static_cast<std::size_t>(height) ||
        bytes.size() != count(width, height) * 4) {
        return std::nullopt;
    }
    std::vector<RGBA> pixels(count(width, height));
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        RGBA p{bytes[4 * i], bytes[4 * i + 1], bytes[4 * i + 2], bytes[4 * i + 3]};
        if (p.a != 0 && p.a != 255) {
            p = {unpremultiply(p.r, p.a), unpremultiply(p.g, p.a), unpremultiply(p.b, p.a), p.a};
        }
        pixels[i] = p;
    }
    return PixelBuffer(width, height, std::move(pixels));
}

std::vector<std::uint8_t> PixelBuffer::bytes() const {
    std::vector<std::uint8_t> out;
    out.reserve(pixels_.size() * 4);
    for (const RGBA& p : pixels_) {
        out.insert(out.end(), {p.r, p.g, p.b, p.a});
    }
    return out;
}

std::span<const RGBA> PixelBuffer::row(std::int64_t y) const {
    if (y < 0 || y >= height_) {
        return {};
    }
    return std::span<const RGBA>(pixels_).subspan(static_cast<std::size_t>(y * width_),
                                                  static_cast<std::size_t>(width_));
}

std::vector<RGBA> PixelBuffer::column(std::int64_t x) const {
    if (x < 0 || x >= width_ || height_ == 0) {
        return {};
    }
    std::vector<RGBA> out;
    out.reserve(static_cast<std::size_t>(height_));
    for (std::int64_t y = 0; y < height_; ++y) {
        out.push_back((*this)(x, y));
    }
    return out;
}

PixelBuffer PixelBuffer::patch(std::int64_t centerX, std::int64_t centerY,
                               std::int64_t radius) const {
    radius = std::max<std::int64_t>(radius, 0);
    const std::int64_t side = 2 * radius + 1;
    PixelBuffer out(side, side, RGBA::clear);
    for (std::int64_t j = 0; j < side; ++j) {
        for (std::int64_t i = 0; i < side; ++i) {
            const std::int64_t sx = centerX - radius + i;
            const std::int64_t sy = centerY - radius + j;
            if (contains(sx, sy)) {
                out(i, j) = (*this)(sx, sy);
            }
        }
    }
    return out;
}

} // namespace spanlet
