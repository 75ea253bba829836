#include "DirectPixels.hpp"

#include <QPainter>

namespace spanlet::draw {

namespace {

// The image the painter draws on, where its pixels may be written directly.
const QImage* directImage(QPainter& painter) {
    const QPaintDevice* device = painter.device();
    if (device == nullptr || device->devType() != QInternal::Image ||
        painter.deviceTransform().type() > QTransform::TxScale || painter.opacity() != 1) {
        return nullptr;
    }
    const auto* image = static_cast<const QImage*>(device);
    return image->format() == QImage::Format_ARGB32_Premultiplied ? image : nullptr;
}

// The painter draws into this very memory: no detaching bits().
uchar* bitsOf(const QImage& image) {
    return const_cast<uchar*>(image.constBits());
}

} // namespace

std::optional<DirectPixels> DirectPixels::of(QPainter& painter, const QRectF& logical) {
    const QImage* image = directImage(painter);
    if (image == nullptr || painter.hasClipping()) {
        return std::nullopt;
    }
    const QRectF d = painter.deviceTransform().mapRect(logical);
    const QRect whole = d.toRect();
    if (QRectF(whole) != d || !image->rect().contains(whole)) {
        return std::nullopt;
    }
    return DirectPixels(bitsOf(*image), image->bytesPerLine(), whole);
}

std::optional<DirectPixels> DirectPixels::paintable(QPainter& painter,
                                                    const std::optional<QRect>& clip) {
    const QImage* image = directImage(painter);
    if (image == nullptr || painter.hasClipping() != clip.has_value() ||
        painter.compositionMode() != QPainter::CompositionMode_SourceOver) {
        return std::nullopt;
    }
    QRect area = image->rect();
    if (clip) {
        const QRectF d = painter.deviceTransform().mapRect(QRectF(*clip));
        const QRect whole = d.toRect();
        if (QRectF(whole) != d) {
            return std::nullopt;
        }
        area = area.intersected(whole);
    }
    return DirectPixels(bitsOf(*image), image->bytesPerLine(), area);
}

} // namespace spanlet::draw
