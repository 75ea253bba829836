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

    [[nodiscard]] const QRect& rect() const noexcept { return rect_; }
    /// Row `y` of the image (device pixels). The painter draws into this very memory, so
    /// no detaching scanLine().
    [[nodiscard]] QRgb* line(int y) const {
        return reinterpret_cast<QRgb*>(const_cast<uchar*>(image_->constScanLine(y)));
    }

private:
    DirectPixels(const QImage* image, QRect rect) : image_(image), rect_(rect) {}

    const QImage* image_;
    QRect rect_;
};

} // namespace spanlet::draw
