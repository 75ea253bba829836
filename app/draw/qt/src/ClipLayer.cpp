#include "ClipLayer.hpp"

#include <QImage>
#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include <spanlet/draw/qt/QPainterBackend.hpp>

namespace spanlet::draw {

namespace {

/// Device pixels around the clip's bounds, for its antialiased edge.
constexpr int margin = 2;
/// Larger clips (device pixels a side) are applied by Qt: a layer would cost more memory than
/// the clip costs time.
constexpr int maxSide = 1024;

/// A layer pixel the clip covers only partly (or not at all), and the coverage.
struct Edge {
    int x = 0;
    int y = 0;
    std::uint32_t coverage = 0;
};

} // namespace

/// The last group drawn, and its layer.
struct ClipLayer::Layer {
    Path clip; ///< moved to the origin
    std::vector<DrawOp> content;
    double scale = 0;
    double fractionX = -1;
    double fractionY = -1;
    QImage image;
    /// The clip as a mask, kept as its pixels below full coverage: a loupe's frame is a few
    /// thousand of them, against tens of thousands inside.
    std::vector<Edge> edges;
};

namespace {

/// The premultiplied pixel `p` times `a` / 255, each channel rounded.
std::uint32_t scaled(std::uint32_t p, std::uint32_t a) {
    std::uint32_t rb = (p & 0xff00ffU) * a;
    rb = ((rb + ((rb >> 8) & 0xff00ffU) + 0x800080U) >> 8) & 0xff00ffU;
    std::uint32_t ag = ((p >> 8) & 0xff00ffU) * a;
    ag = (ag + ((ag >> 8) & 0xff00ffU) + 0x800080U) & 0xff00ff00U;
    return ag | rb;
}

std::vector<Edge> edgesOf(const QImage& mask) {
    std::vector<Edge> edges;
    for (int y = 0; y < mask.height(); ++y) {
        const uchar* line = mask.constScanLine(y);
        for (int x = 0; x < mask.width(); ++x) {
            if (line[x] != 0xff) {
                edges.push_back({x, y, line[x]});
            }
        }
    }
    return edges;
}

void applyEdges(QImage& image, const std::vector<Edge>& edges) {
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    for (const Edge& e : edges) {
        auto* pixel = reinterpret_cast<std::uint32_t*>(bits + e.y * stride) + e.x;
        *pixel = e.coverage == 0 ? 0 : scaled(*pixel, e.coverage);
    }
}

bool sameContent(const std::vector<DrawOp>& kept, const std::vector<DrawOp>& ops, std::size_t first,
                 std::size_t last) {
    return kept.size() == last - first &&
           std::equal(kept.begin(), kept.end(), ops.begin() + static_cast<std::ptrdiff_t>(first));
}

} // namespace

ClipLayer::ClipLayer() : layer_(std::make_unique<Layer>()) {}
ClipLayer::~ClipLayer() = default;

bool ClipLayer::paint(QPainter& painter, const Path& clip, const std::vector<DrawOp>& ops,
                      std::size_t first, std::size_t last,
                      const std::function<void(QPainter& layer)>& paintContent) {
    const QTransform device = painter.deviceTransform();
    const double scale = device.m11();
    if (device.type() > QTransform::TxScale || scale <= 0 || device.m22() != scale) {
        return false;
    }
    const std::optional<Rect> b = clip.bounds();
    if (!b || !std::isfinite(b->x) || !std::isfinite(b->y) || b->width * scale > maxSide ||
        b->height * scale > maxSide) {
        return false;
    }
    if (std::any_of(ops.begin() + static_cast<std::ptrdiff_t>(first),
                    ops.begin() + static_cast<std::ptrdiff_t>(last),
                    [](const DrawOp& op) { return std::holds_alternative<PushClip>(op); })) {
        return false;
    }
    // Where the bounds start on the device, split into whole pixels and a fraction: the layer
    // keeps the fraction, so its pixels are those the painter would have had.
    const double deviceX = device.dx() + scale * b->x;
    const double deviceY = device.dy() + scale * b->y;
    const double wholeX = std::floor(deviceX);
    const double wholeY = std::floor(deviceY);
    const double fractionX = deviceX - wholeX;
    const double fractionY = deviceY - wholeY;

    Layer& layer = *layer_;
    const Path atOrigin = clip.translated(-b->x, -b->y);
    if (layer.scale != scale || layer.fractionX != fractionX || layer.fractionY != fractionY ||
        !(layer.clip == atOrigin) || !sameContent(layer.content, ops, first, last)) {
        const int width = static_cast<int>(std::ceil(fractionX + scale * b->width)) + 2 * margin;
        const int height = static_cast<int>(std::ceil(fractionY + scale * b->height)) + 2 * margin;
        const QTransform toLayer(scale, 0, 0, scale, margin + fractionX - scale * b->x,
                                 margin + fractionY - scale * b->y);
        const bool sameMask = layer.scale == scale && layer.fractionX == fractionX &&
                              layer.fractionY == fractionY && layer.clip == atOrigin;
        if (layer.image.size() != QSize(width, height)) {
            layer.image = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
        }
        if (!sameMask || layer.edges.empty()) {
            QImage mask(width, height, QImage::Format_Alpha8);
            mask.fill(0);
            {
                QPainter p(&mask);
                p.setRenderHint(QPainter::Antialiasing, true);
                p.setTransform(toLayer);
                p.fillPath(QPainterBackend::path(clip), Qt::black);
            }
            layer.edges = edgesOf(mask);
        }
        layer.image.fill(Qt::transparent);
        {
            QPainter p(&layer.image);
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setRenderHint(QPainter::TextAntialiasing, true);
            p.setTransform(toLayer);
            paintContent(p);
        }
        applyEdges(layer.image, layer.edges);
        layer.clip = atOrigin;
        layer.content.assign(ops.begin() + static_cast<std::ptrdiff_t>(first),
                             ops.begin() + static_cast<std::ptrdiff_t>(last));
        layer.scale = scale;
        layer.fractionX = fractionX;
        layer.fractionY = fractionY;
    }
    QPainterBackend::drawDeviceImage(painter, QPointF(wholeX - margin, wholeY - margin),
                                     layer.image);
    return true;
}

} // namespace spanlet::draw
