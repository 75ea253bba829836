#include "DirectPixels.hpp"

#include <QPainter>

namespace spanlet::draw {

std::optional<DirectPixels> DirectPixels::of(QPainter& painter, const QRectF& logical) {
    QPaintDevice* device = painter.device();
    const QTransform t = painter.deviceTransform();
    if (device == nullptr || device->devType() != QInternal::Image ||
        t.type() > QTransform::TxScale || painter.hasClipping() || painter.opacity() != 1) {
        return std::nullopt;
    }
    const auto* image = static_cast<const QImage*>(device);
    const QRectF d = t.mapRect(logical);
    const QRect whole = d.toRect();
    if (image->format() != QImage::Format_ARGB32_Premultiplied || QRectF(whole) != d ||
        !image->rect().contains(whole)) {
        return std::nullopt;
    }
    return DirectPixels(image, whole);
}

} // namespace spanlet::draw
