#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <tuple>
#include <type_traits>

#include <spanlet/DevicePixels.hpp>
#include <spanlet/draw/qt/OverlayDamage.hpp>
#include <spanlet/draw/qt/QPainterBackend.hpp>

#include "BandedRegion.hpp"

namespace spanlet::draw {

namespace {

// margin < 0 asks for device pixels without margin.
void addRect(std::vector<QRect>& region, const Rect& r, double dpr, int margin) {
    if (margin >= 0) {
        region.push_back(QPainterBackend::damageRect(r, dpr, margin));
        return;
    }
    const DevicePixels::Span d = DevicePixels::enclosing(r, dpr);
    region.push_back(QRect(static_cast<int>(d.minX), static_cast<int>(d.minY),
                           static_cast<int>(d.maxX - d.minX), static_cast<int>(d.maxY - d.minY)));
}

Rect segmentRect(Point a, Point b, double halfWidth) {
    const double x0 = std::min(a.x, b.x) - halfWidth;
    const double y0 = std::min(a.y, b.y) - halfWidth;
    return {x0, y0, std::abs(a.x - b.x) + 2 * halfWidth, std::abs(a.y - b.y) + 2 * halfWidth};
}

// Whether the renderer draws `stroke` as crisp lines: a hairline made only of horizontal and
// vertical segments, each snapped to whole device pixels and filled without smoothing.
bool snapsToPixels(const StrokePath& stroke) {
    const auto& e = stroke.path.elements;
    if (!stroke.hairline || e.empty() || e.size() % 2 != 0) {
        return false;
    }
    for (std::size_t i = 0; i < e.size(); i += 2) {
        const auto* from = std::get_if<MoveTo>(&e[i]);
        const auto* to = std::get_if<LineTo>(&e[i + 1]);
        if (from == nullptr || to == nullptr ||
            (from->point.x != to->point.x && from->point.y != to->point.y)) {
            return false;
        }
    }
    return true;
}

// The device pixels a crisp segment covers, exactly: across, those its hairline covers; along,
// its ends at the nearest pixel boundaries.
QRect crispPixels(Point a, Point b, double lineWidth, double dpr) {
    const bool horizontal = a.y == b.y;
    const DevicePixels::Run xs = horizontal ? DevicePixels::hairlineLength(a.x, b.x, dpr)
                                            : DevicePixels::hairline(a.x, lineWidth, dpr);
    const DevicePixels::Run ys = horizontal ? DevicePixels::hairline(a.y, lineWidth, dpr)
                                            : DevicePixels::hairlineLength(a.y, b.y, dpr);
    return {static_cast<int>(xs.start), static_cast<int>(ys.start), static_cast<int>(xs.count),
            static_cast<int>(ys.count)};
}

// crispPixels() in logical pixels rounded out (nothing spills beside them).
QRect crispSegment(Point a, Point b, double lineWidth, double dpr) {
    const QRect d = crispPixels(a, b, lineWidth, dpr);
    const int x0 = static_cast<int>(std::floor(DevicePixels::toPoints(d.x(), dpr)));
    const int y0 = static_cast<int>(std::floor(DevicePixels::toPoints(d.y(), dpr)));
    const int x1 = static_cast<int>(std::ceil(DevicePixels::toPoints(d.x() + d.width(), dpr)));
    const int y1 = static_cast<int>(std::ceil(DevicePixels::toPoints(d.y() + d.height(), dpr)));
    return {x0, y0, x1 - x0, y1 - y0};
}

// Each segment and shape of a stroked path, grown by half the line width (miter joins of the
// axis-aligned paths we draw stay within that); crisp lines by exactly what they cover.
void addStroke(std::vector<QRect>& region, const StrokePath& stroke, double dpr, int margin) {
    if (margin >= 0 && dpr > 0 && snapsToPixels(stroke)) {
        const auto& e = stroke.path.elements;
        for (std::size_t i = 0; i < e.size(); i += 2) {
            region.push_back(crispSegment(std::get<MoveTo>(e[i]).point,
                                          std::get<LineTo>(e[i + 1]).point, stroke.lineWidth, dpr));
        }
        return;
    }
    const double half = stroke.lineWidth / 2;
    Point current;
    for (const PathElement& e : stroke.path.elements) {
        if (const auto* move = std::get_if<MoveTo>(&e)) {
            current = move->point;
        } else if (const auto* line = std::get_if<LineTo>(&e)) {
            addRect(region, segmentRect(current, line->point, half), dpr, margin);
            current = line->point;
        } else if (const auto* rect = std::get_if<RectShape>(&e)) {
            addRect(region, rect->rect.insetBy(-half, -half), dpr, margin);
        } else if (const auto* rounded = std::get_if<RoundedRectShape>(&e)) {
            addRect(region, rounded->rect.insetBy(-half, -half), dpr, margin);
        }
    }
}

} // namespace

std::vector<QRect> drawnRects(const DrawList& list, double devicePixelRatio, int marginPixels) {
    std::vector<QRect> region;
    int depth = 0;
    for (const DrawOp& op : list.ops) {
        if (const auto* clip = std::get_if<PushClip>(&op)) {
            if (depth++ == 0) {
                if (const std::optional<Rect> b = clip->path.bounds()) {
                    addRect(region, *b, devicePixelRatio, marginPixels);
                }
            }
            continue;
        }
        if (std::holds_alternative<PopClip>(op)) {
            depth = std::max(0, depth - 1);
            continue;
        }
        if (depth > 0) {
            continue; // inside the clip, already counted
        }
        if (const auto* stroke = std::get_if<StrokePath>(&op)) {
            addStroke(region, *stroke, devicePixelRatio, marginPixels);
        } else if (const std::optional<Rect> b = bounds(op)) {
            addRect(region, *b, devicePixelRatio, marginPixels);
        }
    }
    return region;
}

QRegion drawnRegion(const DrawList& list, double devicePixelRatio, int marginPixels) {
    return bandedRegion(drawnRects(list, devicePixelRatio, marginPixels));
}

QRegion drawnDeviceRegion(const DrawList& list, double devicePixelRatio) {
    return drawnRegion(list, devicePixelRatio > 0 ? devicePixelRatio : 1, -1);
}

std::optional<std::vector<QRect>> changedRects(const DrawList& before, const DrawList& after,
                                               double devicePixelRatio) {
    if (before.ops.size() != after.ops.size()) {
        return std::nullopt;
    }
    DrawList changed;
    for (std::size_t i = 0; i < after.ops.size(); ++i) {
        if (after.ops[i] != before.ops[i]) {
            changed.ops.push_back(before.ops[i]);
            changed.ops.push_back(after.ops[i]);
        }
    }
    return mergedRects(drawnRects(changed, devicePixelRatio));
}

std::optional<SolidLine> solidLine(const DrawOp& op, double devicePixelRatio) {
    const auto* stroke = std::get_if<StrokePath>(&op);
    if (stroke == nullptr || stroke->path.elements.size() != 2 || stroke->color.opacity < 1 ||
        !(devicePixelRatio > 0) || !snapsToPixels(*stroke)) {
        return std::nullopt;
    }
    const QRect pixels = crispPixels(std::get<MoveTo>(stroke->path.elements[0]).point,
                                     std::get<LineTo>(stroke->path.elements[1]).point,
                                     stroke->lineWidth, devicePixelRatio);
    return SolidLine{pixels,
                     qPremultiply(QPainterBackend::color(stroke->color).rgba64()).toArgb32()};
}

std::vector<QRect> mergedRects(std::vector<QRect> rects) {
    // What repainting a rectangle costs, in pixels: each row also costs about as much as this
    // many pixels more (starting a span, and a line of memory another process has just read),
    // so two thin strips a few pixels apart, such as a cross's old and new line, cost less
    // joined.
    constexpr qint64 rowCost = 16;
    const auto area = [](const QRect& r) {
        return (static_cast<qint64>(r.width()) + rowCost) * static_cast<qint64>(r.height());
    };
    // Joining is worth it while the joined rectangle costs at most this much more: a rectangle
    // of its own costs about as much as this many pixels (its clip, a walk of the draw list,
    // and a label it shares with another rectangle painted once more).
    constexpr qint64 slack = 4096;
    // Joining takes time quadratic in the count, and so does repainting many rectangles (each
    // walks the draw list): beyond this many, their bounds are repainted at once.
    constexpr std::size_t most = 256;
    std::erase_if(rects, [](const QRect& r) { return r.isEmpty(); });
    // The same rectangle comes twice when something is drawn before and after a change.
    const auto key = [](const QRect& r) {
        return std::tuple(r.top(), r.left(), r.bottom(), r.right());
    };
    std::sort(rects.begin(), rects.end(),
              [&key](const QRect& a, const QRect& b) { return key(a) < key(b); });
    rects.erase(std::unique(rects.begin(), rects.end()), rects.end());
    if (rects.size() > most) {
        QRect bounds;
        for (const QRect& r : rects) {
            bounds |= r;
        }
        return {bounds};
    }
    // Passes over the list until one joins nothing; each pass keeps joining into the same
    // rectangle, so a typical frame takes two passes.
    bool joined = true;
    while (joined) {
        joined = false;
        for (std::size_t i = 0; i < rects.size(); ++i) {
            for (std::size_t j = i + 1; j < rects.size();) {
                const QRect both = rects[i] | rects[j];
                if (area(both) <= area(rects[i]) + area(rects[j]) + slack) {
                    rects[i] = both;
                    rects[j] = rects.back();
                    rects.pop_back();
                    joined = true;
                } else {
                    ++j;
                }
            }
        }
    }
    return rects;
}

void repaintRects(QPainterBackend& backend, QPainter& painter, const DrawList& list,
                  const std::vector<QRect>& rects) {
    // Rectangle by rectangle with a plain rectangular clip, each with only the operations that
    // touch it: far cheaper than one complex clip for long thin damage such as a moved cross.
    backend.repaint(painter, list, rects);
}

void repaintImage(QPainterBackend& backend, QImage& image, const DrawList& list,
                  const std::vector<QRect>& rects) {
    QPainter painter(&image);
    repaintRects(backend, painter, list, rects);
}

} // namespace spanlet::draw
