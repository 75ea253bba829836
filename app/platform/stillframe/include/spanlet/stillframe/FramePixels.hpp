#pragma once

#include <QImage>
#include <QRect>
#include <cstddef>
#include <cstdint>

namespace spanlet::stillframe {

/// Where red, green and blue sit in the 4 bytes of one pixel, in memory order; the fourth
/// byte is padding or alpha, and ignored.
enum class PixelLayout : std::uint8_t { bgrx, rgbx };

/// One plane of 4-byte pixels as a video stream delivers it.
struct FramePlane {
    const std::uint8_t* bytes = nullptr; ///< row 0, column 0
    std::size_t size = 0;                ///< bytes readable from `bytes`
    std::int64_t stride = 0;             ///< bytes from one row to the next
    QSize pixels;                        ///< the whole frame
    PixelLayout layout = PixelLayout::bgrx;
};

/// `area` of `plane` (device pixels, clipped to the frame) as opaque RGB32; a null image when
/// that is empty or the plane holds too few bytes for it.
QImage framePixels(const FramePlane& plane, QRect area);

} // namespace spanlet::stillframe
