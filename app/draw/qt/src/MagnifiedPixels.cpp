#include "MagnifiedPixels.hpp"

#include <QImage>
#include <QPainter>

#include <spanlet/draw/qt/QPainterBackend.hpp>

namespace spanlet::draw {

namespace {

// One image pixel per pixel of the buffer, premultiplied.
QImage pixelImage(const PixelBuffer& pixels) {
    QImage image(static_cast<int>(pixels.width()), static_cast<int>(pixels.height()),
                 QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const RGBA p = pixels(x, y);
            line[x] = qPremultiply(qRgba(p.r, p.g, p.b, p.a));
        }
    }
    return image;
}

} // namespace

void paintMagnified(QPainter& painter, const FillPixels& op) {
    if (op.pixels.pixels().empty()) {
        return;
    }
    const bool smooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QPainterBackend::rect(op.rect), pixelImage(op.pixels));
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

} // namespace spanlet::draw
