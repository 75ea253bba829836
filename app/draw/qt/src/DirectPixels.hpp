#pragma once

#include <QImage>
#include <QRect>
#include <QRgb>
#include <optional>

class QPainter;

namespace spanlet::draw {

/// Whole device pixels of the premultiplied 32-bit image a painter draws on, for writing them
/// directly where Qt's general paths (antialiased fills, transformed blits) cost several times
/// as much for the same result.
class DirectPixels {
public:
    /// The pixels `logical` covers, when the painter draws on such an image without clipping,
    /// opacity or a transform beyond scaling, and they are whole and inside the image.
    static std::optional<DirectPixels> of(QPainter& painter, const QRectF& logical);
    /// The device pixels the painter may paint, when it draws on such an image with no
    /// transform beyond scaling, full opacity and source-over, and with no clip or one known to
    /// be exactly `clip` (logical pixels, on whole device pixels).
    static std::optional<DirectPixels> paintable(QPainter& painter,
                                                 const std::optional<QRect>& clip);
    /// The part of `device` (device pixels) inside these pixels.
    [[nodiscard]] DirectPixels within(const QRect& device) const {
        return {bits_, stride_, rect_.intersected(device)};
    }

    [[nodiscard]] const QRect& rect() const noexcept { return rect_; }
    /// Row `y` of the image (device pixels). The painter draws into this very memory, so
    /// no detaching scanLine().
    [[nodiscard]] QRgb* line(int y) const {
        return reinterpret_cast<QRgb*>(bits_ + static_cast<qsizetype>(y) * stride_);
    }

private:
    DirectPixels(uchar* bits, qsizetype stride, QRect rect)
        : bits_(bits), stride_(stride), rect_(rect) {}

    uchar* bits_;
    qsizetype stride_;
    QRect rect_;
};

} // namespace spanlet::draw
