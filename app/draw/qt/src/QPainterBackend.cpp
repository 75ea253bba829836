#include <QPainter>
#include <QPen>
#include <QString>
#include <algorithm>
#include <cmath>
#include <type_traits>
#include <vector>

#include <spanlet/DevicePixels.hpp>
#include <spanlet/draw/qt/QPainterBackend.hpp>

#include "ClipLayer.hpp"
#include "DirectPixels.hpp"
#include "GlyphLine.hpp"
#include "MagnifiedPixels.hpp"
#include "SpriteCache.hpp"
#include "StrokeOutline.hpp"

namespace spanlet::draw {

namespace {

// A drop shadow approximated by stacked translucent copies of the shape, each grown by a wider
// round-joined outline: the widest reaches exactly `blurRadius` beyond the moved shape and the
// overlap of the layers makes the colour densest at the shape itself.
void paintShadow(QPainter& painter, const FillPathWithShadow& op) {
    if (op.shadowColor.opacity <= 0) {
        return;
    }
    const QPainterPath shape =
        QPainterBackend::path(op.path).translated(op.shadowOffset.x, op.shadowOffset.y);
    constexpr int layers = 3;
    QColor c = QPainterBackend::color(op.shadowColor);
    c.setAlphaF(static_cast<float>(op.shadowColor.opacity / (layers + 1)));
    painter.setBrush(c);
    if (op.blurRadius <= 0) {
        c.setAlphaF(static_cast<float>(op.shadowColor.opacity));
        painter.setPen(Qt::NoPen);
        painter.setBrush(c);
        painter.drawPath(shape);
        return;
    }
    // A rounded rectangle grown by d is the rounded rectangle d larger on every side with
    // radius + d: a cheap fill. Other shapes grow by a wide round-joined outline.
    const auto* rounded = op.path.elements.size() == 1
                              ? std::get_if<RoundedRectShape>(&op.path.elements[0])
                              : nullptr;
    for (int i = layers; i >= 1; --i) {
        const double spread = op.blurRadius * i / layers;
        if (rounded != nullptr) {
            const Rect grown = rounded->rect.insetBy(-spread, -spread);
            const double r = std::max(0.0, std::min({rounded->cornerRadius, rounded->rect.width / 2,
                                                     rounded->rect.height / 2})) +
                             spread;
            painter.setPen(Qt::NoPen);
            painter.drawRoundedRect(
                QPainterBackend::rect(grown).translated(op.shadowOffset.x, op.shadowOffset.y), r,
                r);
        } else {
            painter.setPen(QPen(c, 2 * spread, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.drawPath(shape);
        }
    }
    painter.setPen(Qt::NoPen);
    painter.drawPath(shape);
}

} // namespace

QColor QPainterBackend::color(const Color& c) {
    return QColor::fromRgbF(static_cast<float>(std::clamp(c.red, 0.0, 1.0)),
                            static_cast<float>(std::clamp(c.green, 0.0, 1.0)),
                            static_cast<float>(std::clamp(c.blue, 0.0, 1.0)),
                            static_cast<float>(std::clamp(c.opacity, 0.0, 1.0)));
}

QRectF QPainterBackend::rect(const Rect& r) {
    return {r.x, r.y, r.width, r.height};
}

void QPainterBackend::drawDeviceImage(QPainter& painter, QPointF devicePoint, const QImage& image) {
    // Only the transform changes: setting it back is cheaper than saving the painter's state.
    const QTransform world = painter.worldTransform();
    painter.setWorldTransform(painter.deviceTransform().inverted() * world);
    painter.drawImage(devicePoint, image);
    painter.setWorldTransform(world);
}

QPainterBackend::QPainterBackend()
    : sprites_(std::make_unique<SpriteCache>()), clipLayer_(std::make_unique<ClipLayer>()) {}

QPainterBackend::~QPainterBackend() = default;

QFont QPainterBackend::font(const FontChoice& choice) const {
    return measurer_.fonts().font(choice).font;
}

void QPainterBackend::paintText(QPainter& painter, const DrawText& op) {
    QtFonts& fonts = measurer_.fonts();
    const QtFonts::Made& made = fonts.font(op.font);
    painter.setFont(made.font);
    painter.setPen(color(op.color));
    painter.setBrush(Qt::NoBrush);
    // The box is the text's measured size: its line starts at the box's left and is centred
    // in its height, as a centred layout would put it. Drawn at a baseline point, Qt shapes
    // the text but spares the line layout that a rectangle needs, half the cost of a label.
    const Rect box = op.box();
    const QPointF baseline(box.x,
                           box.y + (box.height - made.ascent - made.descent) / 2 + made.ascent);
    if (const std::optional<GlyphLine> line = fonts.glyphs(op.font).layout(op.text)) {
        painter.drawGlyphRun(baseline, line->glyphs);
        return;
    }
    painter.drawText(baseline,
                     QString::fromUtf8(op.text.data(), static_cast<qsizetype>(op.text.size())));
}

QPainterPath QPainterBackend::path(const Path& p) {
    QPainterPath out;
    out.setFillRule(Qt::WindingFill);
    for (const PathElement& e : p.elements) {
        std::visit(
            [&out](const auto& el) {
                using T = std::decay_t<decltype(el)>;
                if constexpr (std::is_same_v<T, MoveTo>) {
                    out.moveTo(el.point.x, el.point.y);
                } else if constexpr (std::is_same_v<T, LineTo>) {
                    out.lineTo(el.point.x, el.point.y);
                } else if constexpr (std::is_same_v<T, RectShape>) {
                    out.addRect(rect(el.rect));
                } else {
                    // Circular corners stand in for continuous ones.
                    const double r =
                        std::min({el.cornerRadius, el.rect.width / 2, el.rect.height / 2});
                    out.addRoundedRect(rect(el.rect), std::max(0.0, r), std::max(0.0, r));
                }
            },
            e);
    }
    return out;
}

QRect QPainterBackend::damageRect(const Rect& r, double devicePixelRatio, int marginPixels) {
    const double s = devicePixelRatio > 0 ? devicePixelRatio : 1;
    const double m = marginPixels;
    const DevicePixels::Span device = DevicePixels::enclosing(r, s);
    const int lx0 = static_cast<int>(std::floor(DevicePixels::toPoints(device.minX - m, s)));
    const int ly0 = static_cast<int>(std::floor(DevicePixels::toPoints(device.minY - m, s)));
    const int lx1 = static_cast<int>(std::ceil(DevicePixels::toPoints(device.maxX + m, s)));
    const int ly1 = static_cast<int>(std::ceil(DevicePixels::toPoints(device.maxY + m, s)));
    return {lx0, ly0, lx1 - lx0, ly1 - ly0};
}

void QPainterBackend::paint(QPainter& painter, const DrawList& list,
                            const std::optional<QRectF>& cull) {
    if (!cull) {
        paintOps(painter, list, {});
        return;
    }
    paintOps(painter, list, [&cull](const QRectF& r) { return r.intersects(*cull); });
}

void QPainterBackend::paint(QPainter& painter, const DrawList& list, const QRegion& cull) {
    paintOps(painter, list,
             [&cull](const QRectF& r) { return cull.intersects(r.toAlignedRect()); });
}

void QPainterBackend::paintDirect(QPainter& painter, const DrawOp& op) {
    std::visit(
        [this, &painter](const auto& o) {
            using T = std::decay_t<decltype(o)>;
            if constexpr (std::is_same_v<T, FillRect>) {
                painter.fillRect(QPainterBackend::rect(o.rect), QPainterBackend::color(o.color));
            } else if constexpr (std::is_same_v<T, FillPixels>) {
                paintMagnified(painter, o);
            } else if constexpr (std::is_same_v<T, FillPath>) {
                painter.setPen(Qt::NoPen);
                painter.setBrush(QPainterBackend::color(o.color));
                painter.drawPath(QPainterBackend::path(o.path));
            } else if constexpr (std::is_same_v<T, StrokePath>) {
                const std::optional<QRect> clip = rectClip_.painter == &painter
                                                      ? std::optional<QRect>(rectClip_.rect)
                                                      : std::nullopt;
                if (fillStrokeOutline(painter, o, clip)) {
                    return;
                }
                painter.setBrush(Qt::NoBrush);
                painter.setPen(QPen(QPainterBackend::color(o.color), o.lineWidth, Qt::SolidLine,
                                    Qt::FlatCap, Qt::MiterJoin));
                painter.drawPath(QPainterBackend::path(o.path));
            } else if constexpr (std::is_same_v<T, FillPathWithShadow>) {
                paintShadow(painter, o);
                painter.setPen(Qt::NoPen);
                painter.setBrush(QPainterBackend::color(o.color));
                painter.drawPath(QPainterBackend::path(o.path));
            } else if constexpr (std::is_same_v<T, DrawText>) {
                paintText(painter, o);
            }
        },
        op);
}

void QPainterBackend::paintOne(QPainter& painter, const DrawOp& op) {
    if (!sprites_->paint(painter, op,
                         [this](QPainter& p, const DrawOp& o) { paintDirect(p, o); })) {
        paintDirect(painter, op);
    }
}

namespace {

// The index of the PopClip that closes the group opened at `push`; the last index when the
// group is never closed.
std::size_t groupEnd(const std::vector<DrawOp>& ops, std::size_t push) {
    int depth = 0;
    for (std::size_t i = push; i < ops.size(); ++i) {
        if (std::holds_alternative<PushClip>(ops[i])) {
            ++depth;
        } else if (std::holds_alternative<PopClip>(ops[i]) && --depth == 0) {
            return i;
        }
    }
    return ops.size() - 1;
}

// Each op's bounds in points: a clip's are its path's, which hold everything in its group.
std::vector<std::optional<Rect>> opBounds(const std::vector<DrawOp>& ops) {
    std::vector<std::optional<Rect>> all;
    all.reserve(ops.size());
    for (const DrawOp& op : ops) {
        const auto* clip = std::get_if<PushClip>(&op);
        all.push_back(clip != nullptr ? clip->path.bounds() : bounds(op));
    }
    return all;
}

// Limits painting to `r` (logical pixels) and clears it to transparent: in place where it maps
// onto whole pixels of an image, else with Qt's fill.
void clipAndClear(QPainter& painter, const QRect& r) {
    painter.setClipping(false);
    const std::optional<DirectPixels> pixels = DirectPixels::of(painter, QRectF(r));
    painter.setClipRect(r, Qt::ReplaceClip);
    if (pixels) {
        const QRect& area = pixels->rect();
        for (int y = area.top(); y <= area.bottom(); ++y) {
            std::fill_n(pixels->line(y) + area.left(), area.width(), QRgb{0});
        }
        return;
    }
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(r, Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

} // namespace

// Paints ops[first, last) whose bounds (points, grown by one) `visible` accepts; all of them when
// it is empty.
void QPainterBackend::paintRange(QPainter& painter, const std::vector<DrawOp>& ops,
                                 std::size_t first, std::size_t last, const Visible& visible,
                                 const std::vector<std::optional<Rect>>* known) {
    const auto shown = [&visible](const QRectF& r) {
        return !visible || visible(r.adjusted(-1, -1, 1, 1));
    };
    const RectClip entryClip = rectClip_;
    int depth = 0;
    for (std::size_t i = first; i < last; ++i) {
        const DrawOp& op = ops[i];
        if (const auto* clip = std::get_if<PushClip>(&op)) {
            // Everything in a group lies inside its clip: a clip outside the area skips it.
            const std::optional<Rect> b = known != nullptr ? (*known)[i] : clip->path.bounds();
            const std::size_t end = std::min(groupEnd(ops, i), last - 1);
            if (!b || !shown(QPainterBackend::rect(*b))) {
                i = end;
                continue;
            }
            const std::size_t contentEnd = std::holds_alternative<PopClip>(ops[end]) ? end : last;
            if (clipLayer_->paint(painter, clip->path, ops, i + 1, contentEnd,
                                  [&](QPainter& layer, std::size_t from) {
                                      paintRange(layer, ops, from, contentEnd, {});
                                  })) {
                i = end;
                continue;
            }
            painter.save();
            painter.setClipPath(QPainterBackend::path(clip->path), Qt::IntersectClip);
            if (rectClip_.painter == &painter) {
                rectClip_.painter = nullptr; // no longer a rectangle
            }
            ++depth;
            continue;
        }
        if (std::holds_alternative<PopClip>(op)) {
            // An unmatched PopClip is ignored rather than unbalancing the painter.
            if (depth > 0) {
                painter.restore();
                if (--depth == 0) {
                    rectClip_ = entryClip;
                }
            }
            continue;
        }
        if (visible) {
            const std::optional<Rect> b = known != nullptr ? (*known)[i] : bounds(op);
            if (!b || !shown(QPainterBackend::rect(*b))) {
                continue;
            }
        }
        paintOne(painter, op);
    }
    for (; depth > 0; --depth) {
        painter.restore();
    }
    rectClip_ = entryClip;
}

void QPainterBackend::paintOps(QPainter& painter, const DrawList& list, const Visible& visible) {
    sprites_->beginRepaint();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    paintRange(painter, list.ops, 0, list.ops.size(), visible);
    painter.restore();
}

void QPainterBackend::repaint(QPainter& painter, const DrawList& list,
                              const std::vector<QRect>& rects) {
    // One saved state for all the rectangles: a damaged frame has a dozen, and saving the
    // painter's state is dearer than setting the few things that change.
    sprites_->beginRepaint();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const std::vector<std::optional<Rect>> known = opBounds(list.ops);
    for (const QRect& r : rects) {
        clipAndClear(painter, r);
        rectClip_ = {&painter, r};
        const QRectF area(r);
        paintRange(
            painter, list.ops, 0, list.ops.size(),
            [&area](const QRectF& b) { return b.intersects(area); }, &known);
    }
    rectClip_ = {};
    painter.restore();
}

} // namespace spanlet::draw
