#include "StrokeOutline.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include <spanlet/DevicePixels.hpp>
#include <spanlet/draw/qt/QPainterBackend.hpp>

#include "DirectPixels.hpp"

namespace spanlet::draw {

namespace {

// `rects` with every horizontal rectangle (wider than tall) cut where a vertical one covers its
// whole height: the same area, with crossings covered once. Overlaps of other kinds stay.
std::vector<QRectF> disjointPieces(const std::vector<QRectF>& rects) {
    std::vector<QRectF> verticals;
    std::vector<QRectF> pieces;
    for (const QRectF& r : rects) {
        if (r.height() > r.width()) {
            verticals.push_back(r);
            pieces.push_back(r);
        }
    }
    std::sort(verticals.begin(), verticals.end(),
              [](const QRectF& a, const QRectF& b) { return a.left() < b.left(); });
    for (const QRectF& r : rects) {
        if (r.height() > r.width()) {
            continue;
        }
        double from = r.left();
        for (const QRectF& v : verticals) {
            if (v.right() <= from || v.left() >= r.right() || v.top() > r.top() ||
                v.bottom() < r.bottom()) {
                continue;
            }
            if (v.left() > from) {
                pieces.emplace_back(from, r.top(), v.left() - from, r.height());
            }
            from = std::max(from, v.right());
        }
        if (from < r.right()) {
            pieces.emplace_back(from, r.top(), r.right() - from, r.height());
        }
    }
    return pieces;
}

// A segment's device pixels: across, those that a hairline at its coordinate covers; along,
// its ends at the nearest pixel boundaries. Painted through `device` (scale and translation
// only), so the snapping is done in device pixels.
QRect snapped(const QTransform& device, Point a, Point b, double lineWidth) {
    const double sx = device.m11();
    const double sy = device.m22();
    const QPointF da = device.map(QPointF(a.x, a.y));
    const QPointF db = device.map(QPointF(b.x, b.y));
    DevicePixels::Run xs;
    DevicePixels::Run ys;
    if (a.y == b.y) {
        xs = DevicePixels::hairlineLength(da.x(), db.x(), 1);
        ys = DevicePixels::hairline(da.y(), lineWidth * sy, 1);
    } else {
        xs = DevicePixels::hairline(da.x(), lineWidth * sx, 1);
        ys = DevicePixels::hairlineLength(da.y(), db.y(), 1);
    }
    return {static_cast<int>(xs.start), static_cast<int>(ys.start), static_cast<int>(xs.count),
            static_cast<int>(ys.count)};
}

} // namespace

bool fillStrokeOutline(QPainter& painter, const StrokePath& op, const std::optional<QRect>& clip) {
    const auto& e = op.path.elements;
    const double half = op.lineWidth / 2;
    if (e.size() == 1 && std::holds_alternative<RectShape>(e[0])) {
        const Rect r = std::get<RectShape>(e[0]).rect;
        if (r.width <= op.lineWidth || r.height <= op.lineWidth) {
            return false;
        }
        QPainterPath area;
        area.setFillRule(Qt::OddEvenFill);
        area.addRect(QPainterBackend::rect(r.insetBy(-half, -half)));
        area.addRect(QPainterBackend::rect(r.insetBy(half, half)));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QPainterBackend::color(op.color));
        painter.drawPath(area);
        return true;
    }
    if (e.empty() || e.size() % 2 != 0) {
        return false;
    }
    // Opaque: each segment is a rectangle of its own (overlaps do not show). Translucent:
    // pieces that do not overlap, so crossing segments are not painted twice (see below).
    const bool opaque = op.color.opacity >= 1;
    // Hairlines are snapped where the painter maps points to device pixels by a scale and
    // a move alone; anything else (a rotation, say) draws them as plain strokes.
    const QTransform device = painter.deviceTransform();
    const bool snap =
        op.hairline && device.type() <= QTransform::TxScale && device.m11() > 0 && device.m22() > 0;
    const QTransform inverse = snap ? device.inverted() : QTransform();
    const QColor c = QPainterBackend::color(op.color);
    // Opaque snapped segments are whole device pixels of one colour: written straight into the
    // image where the painter allows, which spares a cross painted in a dozen damaged
    // rectangles a dozen rounds of Qt's state changes and fills.
    const QRgb solid = qPremultiply(c.rgba64()).toArgb32();
    const std::optional<DirectPixels> direct =
        snap && opaque ? DirectPixels::paintable(painter, clip) : std::nullopt;
    // Painted rectangle by rectangle of damage, a cross's segments mostly fall outside it.
    const std::optional<QRectF> bounds = !direct && painter.hasClipping()
                                             ? std::optional<QRectF>(painter.clipBoundingRect())
                                             : std::nullopt;
    std::vector<QRectF> rects;
    std::vector<QRect> devicePixels;
    for (std::size_t i = 0; i < e.size(); i += 2) {
        const auto* from = std::get_if<MoveTo>(&e[i]);
        const auto* to = std::get_if<LineTo>(&e[i + 1]);
        if (from == nullptr || to == nullptr) {
            return false;
        }
        const Point a = from->point;
        const Point b = to->point;
        QRectF r;
        if (snap && (a.x == b.x || a.y == b.y)) {
            const QRect pixels = snapped(device, a, b, op.lineWidth);
            if (direct) {
                devicePixels.push_back(pixels);
                continue;
            }
            r = inverse.mapRect(QRectF(pixels));
        } else if (a.y == b.y) {
            r = QRectF(std::min(a.x, b.x), a.y - half, std::abs(b.x - a.x), op.lineWidth);
        } else if (a.x == b.x) {
            r = QRectF(a.x - half, std::min(a.y, b.y), op.lineWidth, std::abs(b.y - a.y));
        } else {
            return false;
        }
        // A smoothed edge reaches into the next pixel.
        if (!bounds || r.adjusted(-1, -1, 1, 1).intersects(*bounds)) {
            rects.push_back(r);
        }
    }
    for (const QRect& pixels : devicePixels) {
        const DirectPixels area = direct->within(pixels);
        const QRect& d = area.rect();
        for (int y = d.top(); y <= d.bottom(); ++y) {
            std::fill_n(area.line(y) + d.left(), d.width(), solid);
        }
    }
    if (rects.empty()) {
        return true;
    }
    // Snapped rectangles lie on pixel boundaries: unsmoothed, a rounding error in the
    // mapping back to points cannot tint a neighbouring pixel. A hint set costs a state
    // change in the paint engine: only when it changes.
    const bool smooth = painter.testRenderHint(QPainter::Antialiasing);
    const bool switched = smooth && snap;
    if (switched) {
        painter.setRenderHint(QPainter::Antialiasing, false);
    }
    if (opaque) {
        for (const QRectF& r : rects) {
            painter.fillRect(r, c);
        }
    } else {
        // Translucent: the rectangles made disjoint (horizontal ones cut where vertical
        // ones cross them), so that no pixel is painted twice, then filled one by one: far
        // cheaper than one path of many crossing rectangles (a loupe's grid).
        for (const QRectF& r : disjointPieces(rects)) {
            painter.fillRect(r, c);
        }
    }
    if (switched) {
        painter.setRenderHint(QPainter::Antialiasing, true);
    }
    return true;
}

} // namespace spanlet::draw
