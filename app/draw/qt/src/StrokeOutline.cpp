#include "StrokeOutline.hpp"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <vector>

#include <spanlet/draw/qt/QPainterBackend.hpp>

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

} // namespace

bool fillStrokeOutline(QPainter& painter, const StrokePath& op) {
    const auto& e = op.path.elements;
    const double half = op.lineWidth / 2;
    QPainterPath area;
    if (e.size() == 1 && std::holds_alternative<RectShape>(e[0])) {
        const Rect r = std::get<RectShape>(e[0]).rect;
        if (r.width <= op.lineWidth || r.height <= op.lineWidth) {
            return false;
        }
        area.setFillRule(Qt::OddEvenFill);
        area.addRect(QPainterBackend::rect(r.insetBy(-half, -half)));
        area.addRect(QPainterBackend::rect(r.insetBy(half, half)));
    } else {
        if (e.empty() || e.size() % 2 != 0) {
            return false;
        }
        // Opaque: each segment is a rectangle of its own (overlaps do not show). Translucent:
        // one winding-filled path, so crossing segments are not painted twice.
        const bool opaque = op.color.opacity >= 1;
        area.setFillRule(Qt::WindingFill);
        std::vector<QRectF> rects;
        for (std::size_t i = 0; i < e.size(); i += 2) {
            const auto* from = std::get_if<MoveTo>(&e[i]);
            const auto* to = std::get_if<LineTo>(&e[i + 1]);
            if (from == nullptr || to == nullptr) {
                return false;
            }
            const Point a = from->point;
            const Point b = to->point;
            if (a.y == b.y) {
                rects.emplace_back(std::min(a.x, b.x), a.y - half, std::abs(b.x - a.x),
                                   op.lineWidth);
            } else if (a.x == b.x) {
                rects.emplace_back(a.x - half, std::min(a.y, b.y), op.lineWidth,
                                   std::abs(b.y - a.y));
            } else {
                return false;
            }
        }
        if (opaque) {
            const QColor c = QPainterBackend::color(op.color);
            for (const QRectF& r : rects) {
                painter.fillRect(r, c);
            }
            return true;
        }
        // Translucent: the rectangles made disjoint (horizontal ones cut where vertical ones
        // cross them), so that no pixel is painted twice, then filled one by one: far cheaper
        // than one path of many crossing rectangles (a loupe's grid).
        const QColor c = QPainterBackend::color(op.color);
        for (const QRectF& r : disjointPieces(rects)) {
            painter.fillRect(r, c);
        }
        return true;
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QPainterBackend::color(op.color));
    painter.drawPath(area);
    return true;
}

} // namespace spanlet::draw
