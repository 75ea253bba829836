#include "MagnifiedPixels.hpp"

#include <QImage>
#include <QPainter>
#include <algorithm>

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

// Where each pixel of the buffer covers a whole block of an image's device pixels and all are
// opaque, the blocks are stored directly: Qt's scaled drawImage fetches every device pixel
// through the inverse transform. False, drawing nothing, where that does not apply.
bool storeBlocks(QPainter& painter, const FillPixels& op) {
    QPaintDevice* device = painter.device();
    const QTransform t = painter.deviceTransform();
    if (device == nullptr || device->devType() != QInternal::Image ||
        t.type() > QTransform::TxScale || painter.hasClipping() || painter.opacity() != 1 ||
        painter.compositionMode() != QPainter::CompositionMode_SourceOver) {
        return false;
    }
    const auto* image = static_cast<const QImage*>(device);
    if (image->format() != QImage::Format_ARGB32_Premultiplied) {
        return false;
    }
    const QRectF d = t.mapRect(QPainterBackend::rect(op.rect));
    const QRect whole = d.toRect();
    const int n = static_cast<int>(op.pixels.width());
    const int m = static_cast<int>(op.pixels.height());
    if (QRectF(whole) != d || whole.width() % n != 0 || whole.height() % m != 0 ||
        !image->rect().contains(whole)) {
        return false;
    }
    const std::vector<RGBA>& pixels = op.pixels.pixels();
    if (!std::all_of(pixels.begin(), pixels.end(), [](const RGBA& p) { return p.a == 255; })) {
        return false;
    }
    const int cellWidth = whole.width() / n;
    const int cellHeight = whole.height() / m;
    for (int y = 0; y < whole.height(); ++y) {
        // The painter draws into this very memory: a detaching scanLine() would not.
        auto* line =
            reinterpret_cast<QRgb*>(const_cast<uchar*>(image->constScanLine(whole.top() + y))) +
            whole.left();
        for (int x = 0; x < n; ++x) {
            const RGBA p = op.pixels(x, y / cellHeight);
            std::fill_n(line + std::ptrdiff_t{x} * cellWidth, cellWidth, qRgb(p.r, p.g, p.b));
        }
    }
    return true;
}

} // namespace

void paintMagnified(QPainter& painter, const FillPixels& op) {
    if (op.pixels.pixels().empty() || storeBlocks(painter, op)) {
        return;
    }
    const bool smooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QPainterBackend::rect(op.rect), pixelImage(op.pixels));
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

} // namespace spanlet::draw
