#pragma once

#include <QPoint>
#include <QRect>
#include <QRegion>
#include <cstddef>
#include <cstdint>
#include <span>

#include <spanlet/PixelBuffer.hpp>

namespace spanlet::x11 {

/// How a ZPixmap image with 32 bits per pixel keeps its channels.
struct PixelLayout {
    std::uint32_t redMask = 0xff0000;
    std::uint32_t greenMask = 0x00ff00;
    std::uint32_t blueMask = 0x0000ff;
    /// Premultiplied alpha; 0 when the pixels are opaque.
    std::uint32_t alphaMask = 0;
    /// The server's image byte order is most significant byte first.
    bool msbFirst = false;
};

/// An image received from the server: `data` rows of `stride` bytes covering `bounds` (root
/// coordinates, device pixels).
struct ServerImage {
    std::span<const std::uint8_t> data;
    std::size_t stride = 0;
    QRect bounds;
};

/// The capture being assembled, in root coordinates: output pixel (0, 0) is `bounds`' top-left.
/// Starts clear; parts that no source covers stay so.
class Canvas {
public:
    explicit Canvas(const QRect& bounds);

    void fill(const QRegion& region, RGBA colour);
    /// Copies the part `rect` of `image`, or blends it over what is already there when `blend`
    /// (premultiplied "over"; the result keeps the alpha of what was beneath). `rect` must lie
    /// inside both the image and the canvas.
    void draw(const QRect& rect, const ServerImage& image, const PixelLayout& layout, bool blend);

    [[nodiscard]] const QRect& bounds() const noexcept { return bounds_; }
    [[nodiscard]] PixelBuffer take() &&;

private:
    QRect bounds_;
    std::vector<RGBA> pixels_;
};

} // namespace spanlet::x11
