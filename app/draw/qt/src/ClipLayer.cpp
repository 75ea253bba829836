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
    /// What follows opaque blocks, moved to the clip's origin, and its image on the layer's
    /// geometry (empty when the last group had no such blocks).
    std::vector<DrawOp> overlayContent;
    QImage overlay;
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

/// `ops[first, last)` moved by (dx, dy); nothing when one of them cannot be moved.
std::optional<std::vector<DrawOp>> movedOps(const std::vector<DrawOp>& ops, std::size_t first,
                                            std::size_t last, double dx, double dy) {
    std::vector<DrawOp> out;
    out.reserve(last - first);
    for (std::size_t i = first; i < last; ++i) {
        std::optional<DrawOp> op = moved(ops[i], dx, dy);
        if (!op) {
            return std::nullopt;
        }
        out.push_back(std::move(*op));
    }
    return out;
}

/// The first operation of a group as opaque pixels each covering a whole block of device
/// pixels, and that block area on a layer that maps points by `toLayer`; nothing otherwise.
struct Blocks {
    const FillPixels* fill = nullptr;
    QRect area;
};
std::optional<Blocks> opaqueBlocks(const DrawOp& op, const QTransform& toLayer, QSize layer) {
    const auto* fill = std::get_if<FillPixels>(&op);
    if (fill == nullptr || fill->pixels.pixels().empty()) {
        return std::nullopt;
    }
    const QRectF d = toLayer.mapRect(QPainterBackend::rect(fill->rect));
    const QRect area = d.toRect();
    const auto n = static_cast<int>(fill->pixels.width());
    const auto m = static_cast<int>(fill->pixels.height());
    if (QRectF(area) != d || !QRect(QPoint(0, 0), layer).contains(area) || area.width() % n != 0 ||
        area.height() % m != 0) {
        return std::nullopt;
    }
    const std::vector<RGBA>& pixels = fill->pixels.pixels();
    if (!std::all_of(pixels.begin(), pixels.end(), [](const RGBA& p) { return p.a == 255; })) {
        return std::nullopt;
    }
    return Blocks{fill, area};
}

/// Fills `image` with the opaque blocks, transparent around them.
void writeBlocks(QImage& image, const Blocks& blocks) {
    const PixelBuffer& pixels = blocks.fill->pixels;
    const QRect& area = blocks.area;
    const int n = static_cast<int>(pixels.width());
    const int cellWidth = area.width() / n;
    const int cellHeight = area.height() / static_cast<int>(pixels.height());
    const int width = image.width();
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    const auto line = [bits, stride](int y) {
        return reinterpret_cast<std::uint32_t*>(bits + y * stride);
    };
    for (int y = 0; y < image.height(); ++y) {
        std::uint32_t* out = line(y);
        if (y < area.top() || y > area.bottom()) {
            std::fill_n(out, width, 0U);
        } else if ((y - area.top()) % cellHeight != 0) {
            std::copy_n(line(y - 1), width, out); // the same cells as the row above
        } else {
            std::fill_n(out, width, 0U);
            const int r = (y - area.top()) / cellHeight;
            for (int c = 0; c < n; ++c) {
                const RGBA p = pixels(c, r);
                std::fill_n(out + area.left() + std::ptrdiff_t{c} * cellWidth, cellWidth,
                            0xff000000U | (std::uint32_t{p.r} << 16) | (std::uint32_t{p.g} << 8) |
                                p.b);
            }
        }
    }
}

} // namespace

ClipLayer::ClipLayer() : layer_(std::make_unique<Layer>()) {}
ClipLayer::~ClipLayer() = default;

bool ClipLayer::paint(QPainter& painter, const Path& clip, const std::vector<DrawOp>& ops,
                      std::size_t first, std::size_t last, const PaintContent& paintContent) {
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
        const auto paintOn = [&](QImage& image, std::size_t from) {
            image.fill(Qt::transparent);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setRenderHint(QPainter::TextAntialiasing, true);
            p.setTransform(toLayer);
            paintContent(p, from);
        };
        const std::optional<Blocks> blocks =
            first < last ? opaqueBlocks(ops[first], toLayer, layer.image.size()) : std::nullopt;
        std::optional<std::vector<DrawOp>> rest;
        if (blocks) {
            rest = movedOps(ops, first + 1, last, -b->x, -b->y);
        }
        if (rest) {
            if (!sameMask || layer.overlay.size() != layer.image.size() ||
                layer.overlayContent != *rest) {
                layer.overlay = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
                paintOn(layer.overlay, first + 1);
                layer.overlayContent = std::move(*rest);
            }
            writeBlocks(layer.image, *blocks);
            QPainter(&layer.image).drawImage(0, 0, layer.overlay);
        } else {
            paintOn(layer.image, first);
            layer.overlay = QImage();
            layer.overlayContent.clear();
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
