#include "MagnifiedPixels.hpp"

#include <QImage>
#include <QPainter>
#include <algorithm>

#include <spanlet/draw/qt/QPainterBackend.hpp>

#include "DirectPixels.hpp"

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

// Where each pixel of the buffer covers a whole block of device pixels and all are opaque, the
// blocks are stored directly: Qt's scaled drawImage fetches every device pixel through the
// inverse transform. False, drawing nothing, where that does not apply.
bool storeBlocks(QPainter& painter, const FillPixels& op) {
    if (painter.compositionMode() != QPainter::CompositionMode_SourceOver) {
        return false;
    }
    const std::optional<DirectPixels> target =
        DirectPixels::of(painter, QPainterBackend::rect(op.rect));
    const int n = static_cast<int>(op.pixels.width());
    const int m = static_cast<int>(op.pixels.height());
    if (!target || target->rect().width() % n != 0 || target->rect().height() % m != 0) {
        return false;
    }
    const std::vector<RGBA>& pixels = op.pixels.pixels();
    if (!std::all_of(pixels.begin(), pixels.end(), [](const RGBA& p) { return p.a == 255; })) {
        return false;
    }
    const QRect& area = target->rect();
    const int cellWidth = area.width() / n;
    const int cellHeight = area.height() / m;
    for (int y = 0; y < area.height(); ++y) {
        QRgb* line = target->line(area.top() + y) + area.left();
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
