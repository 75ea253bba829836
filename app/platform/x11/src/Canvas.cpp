#include "Canvas.hpp"

#include <bit>

namespace spanlet::x11 {

namespace {

// One channel of a pixel value: where it sits and how to widen it to 8 bits.
struct Channel {
    explicit Channel(std::uint32_t mask)
        : mask_(mask), shift_(mask ? std::countr_zero(mask) : 0),
          max_(mask ? mask >> std::countr_zero(mask) : 0) {}

    [[nodiscard]] std::uint8_t operator()(std::uint32_t pixel) const noexcept {
        const std::uint32_t v = (pixel & mask_) >> shift_;
        if (max_ == 0xff) {
            return std::uint8_t(v);
        }
        return max_ == 0 ? std::uint8_t{0} : std::uint8_t((v * 255 + max_ / 2) / max_);
    }

private:
    std::uint32_t mask_;
    int shift_;
    std::uint32_t max_;
};

std::uint32_t readPixel(const std::uint8_t* p, bool msbFirst) {
    if (msbFirst) {
        return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
               std::uint32_t{p[3]};
    }
    return std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 |
           std::uint32_t{p[0]};
}

// Premultiplied source over destination, per channel: s + d × (255 − a) / 255, rounded.
std::uint8_t over(std::uint8_t source, std::uint8_t destination, std::uint8_t alpha) {
    const unsigned v = unsigned{source} * 255 + unsigned{destination} * (255u - alpha);
    const unsigned rounded = (v + 127) / 255;
    return std::uint8_t(rounded > 255 ? 255 : rounded);
}

} // namespace

Canvas::Canvas(const QRect& bounds)
    : bounds_(bounds),
      pixels_(std::size_t(std::max(0, bounds.width())) * std::size_t(std::max(0, bounds.height())),
              RGBA::clear) {}

void Canvas::fill(const QRegion& region, RGBA colour) {
    for (const QRect& r : region.intersected(bounds_)) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            RGBA* row =
                pixels_.data() + std::size_t(y - bounds_.top()) * std::size_t(bounds_.width());
            std::fill(row + (r.left() - bounds_.left()), row + (r.right() + 1 - bounds_.left()),
                      colour);
        }
    }
}

void Canvas::draw(const QRect& rect, const ServerImage& image, const PixelLayout& layout,
                  bool blend) {
    const QRect r = rect.intersected(bounds_).intersected(image.bounds);
    if (r.isEmpty()) {
        return;
    }
    const Channel red(layout.redMask), green(layout.greenMask), blue(layout.blueMask),
        alpha(layout.alphaMask);
    const bool hasAlpha = layout.alphaMask != 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const std::uint8_t* source = image.data.data() +
                                     std::size_t(y - image.bounds.top()) * image.stride +
                                     std::size_t(r.left() - image.bounds.left()) * 4;
        RGBA* out = pixels_.data() + std::size_t(y - bounds_.top()) * std::size_t(bounds_.width()) +
                    (r.left() - bounds_.left());
        for (int x = r.left(); x <= r.right(); ++x, source += 4, ++out) {
            const std::uint32_t p = readPixel(source, layout.msbFirst);
            const RGBA colour{red(p), green(p), blue(p), hasAlpha ? alpha(p) : std::uint8_t(255)};
            if (blend && colour.a != 255) {
                *out = {over(colour.r, out->r, colour.a), over(colour.g, out->g, colour.a),
                        over(colour.b, out->b, colour.a), out->a};
            } else {
                *out = {colour.r, colour.g, colour.b, 255};
            }
        }
    }
}

PixelBuffer Canvas::take() && {
    return PixelBuffer(bounds_.width(), bounds_.height(), std::move(pixels_));
}

} // namespace spanlet::x11
