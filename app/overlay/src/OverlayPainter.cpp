#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include <spanlet/DevicePixels.hpp>
#include <spanlet/MeasurementText.hpp>
#include <spanlet/NumberText.hpp>
#include <spanlet/overlay/OverlayColors.hpp>
#include <spanlet/overlay/OverlayPainter.hpp>

namespace spanlet {

using draw::Color;
using draw::DrawList;
using draw::LabelStyle;
using draw::Path;
namespace UnitPoint = draw::UnitPoint;

namespace {

/// Length of the end caps across a closed end of a cross, and of the gap line's end ticks.
constexpr double capHalf = 6;
constexpr double tickHalf = 5;
/// A distance label is shown only when its span is longer than this (points), so it fits.
constexpr double horizontalLabelRoom = 44;
constexpr double verticalLabelRoom = 34;

/// The cross's scale, or 1 when it was stored without a usable one.
double crossScale(const Cross& cross) {
    return cross.scale > 0 && std::isfinite(cross.scale) ? cross.scale : 1;
}

} // namespace

const std::string OverlayPainter::editingBannerText =
    "Editing guides: drag to move · Tab selects · arrows nudge · Delete removes · V or H adds · "
    "Esc when done";

DrawList OverlayPainter::paint(Parts* parts) const {
    DrawList list;
    drawGuides(list, false);
    drawGuides(list, true);
    for (const OverlayScene::GapLabel& gap : scene_.gaps) {
        drawGapLabel(list, gap);
    }
    for (const Cross& cross : scene_.pinned) {
        drawCross(list, cross, OverlayColors::kept, false);
    }
    std::optional<std::size_t> column;
    if (scene_.live) {
        column = drawCross(list, *scene_.live, OverlayColors::live, true);
    }
    const std::size_t loupeFirst = list.ops.size();
    if (scene_.loupe && scene_.pointer) {
        drawLoupe(list, *scene_.loupe, *scene_.pointer);
    }
    if (parts != nullptr) {
        *parts = {{loupeFirst, list.ops.size()}, column};
    }
    if (scene_.message) {
        drawMessage(list, *scene_.message);
    }
    if (scene_.editing) {
        drawEditingBanner(list);
    }
    return list;
}

void OverlayPainter::drawGuides(DrawList& list, bool selected) const {
    const double factor = scene_.scale.factor();
    // One device pixel, but never thinner than half a point; the selected guide is two pixels.
    // Hairlines from the pixel holding the position, growing right or down.
    const double thickness = selected ? 2 / factor : std::max(1 / factor, 0.5);
    const Color color = selected ? OverlayColors::selectedGuide : OverlayColors::guide;
    for (const OverlayScene::Line& line : scene_.guides) {
        if (line.selected != selected) {
            continue;
        }
        const double p = line.position;
        Path path = line.axis == Axis::horizontal ? Path{}.addLine({0, p}, {scene_.size.width, p})
                                                  : Path{}.addLine({p, 0}, {p, scene_.size.height});
        list.add(draw::StrokePath{std::move(path), color, thickness, true});
    }
}

void OverlayPainter::drawGapLabel(DrawList& list, const OverlayScene::GapLabel& gap) const {
    const double a = gap.across;
    const double f = gap.from;
    const double t = gap.to;
    const double middle = (f + t) / 2;
    Path path;
    LabelStyle style{11, UnitPoint::center, OverlayColors::guide};
    Point at;
    if (gap.axis == Axis::vertical) {
        path.addLine({f, a}, {t, a})
            .addLine({f, a - tickHalf}, {f, a + tickHalf})
            .addLine({t, a - tickHalf}, {t, a + tickHalf});
        at = {middle, a - 12};
    } else {
        path.addLine({a, f}, {a, t})
            .addLine({a - tickHalf, f}, {a + tickHalf, f})
            .addLine({a - tickHalf, t}, {a + tickHalf, t});
        style.anchor = UnitPoint::leading;
        at = {a + 6, middle};
    }
    list.add(draw::StrokePath{std::move(path), OverlayColors::guide, 1, true});
    label(list, gap.text, at, style);
}

std::optional<std::size_t> OverlayPainter::drawCross(DrawList& list, const Cross& cross,
                                                     Color color, bool live) const {
    const double px = cross.pointerX;
    const double py = cross.pointerY;
    // The far caps sit on the span's last pixels, just before its far boundary.
    const double factor = scene_.scale.factor();
    const double lastX = DevicePixels::hairlineBefore(cross.maxX, 1, factor);
    const double lastY = DevicePixels::hairlineBefore(cross.maxY, 1, factor);
    Path path;
    path.addLine({cross.minX, py}, {cross.maxX, py});
    // The live vertical line, opaque, is drawn on its own: a host may show it as a window of
    // its own that moves, since repainting the column it leaves and the one it enters touches
    // every row of the display.
    const bool ownColumn = live && color.opacity >= 1;
    if (!ownColumn) {
        path.addLine({px, cross.minY}, {px, cross.maxY});
    }
    if (!cross.openLeft) {
        path.addLine({cross.minX, py - capHalf}, {cross.minX, py + capHalf});
    }
    if (!cross.openRight) {
        path.addLine({lastX, py - capHalf}, {lastX, py + capHalf});
    }
    if (!cross.openUp) {
        path.addLine({px - capHalf, cross.minY}, {px + capHalf, cross.minY});
    }
    if (!cross.openDown) {
        path.addLine({px - capHalf, lastY}, {px + capHalf, lastY});
    }
    list.add(draw::StrokePath{std::move(path), color, 1, true});
    std::optional<std::size_t> column;
    if (ownColumn) {
        column = list.ops.size();
        list.add(
            draw::StrokePath{Path{}.addLine({px, cross.minY}, {px, cross.maxY}), color, 1, true});
    }

    const double s = crossScale(cross);
    if (live) {
        drawDistanceLabels(list, cross, s);
    }
    drawSizeLabel(list, cross, s, color);
    return column;
}

void OverlayPainter::drawDistanceLabels(DrawList& list, const Cross& cross, double s) const {
    const double px = cross.pointerX;
    const double py = cross.pointerY;
    const auto text = [&](std::int64_t pixels) {
        const auto value = static_cast<double>(pixels);
        return NumberText::string(scene_.unit == MeasureUnit::points ? value / s : value, 2);
    };
    const Color fill = OverlayColors::live.withOpacity(0.85);
    const LabelStyle across{10, UnitPoint::center, fill};
    const LabelStyle along{10, UnitPoint::leading, fill};
    if (px - cross.minX > horizontalLabelRoom) {
        label(list, text(cross.left), {(px + cross.minX) / 2, py - 11}, across);
    }
    if (cross.maxX - px > horizontalLabelRoom) {
        label(list, text(cross.right), {(px + cross.maxX) / 2, py - 11}, across);
    }
    if (py - cross.minY > verticalLabelRoom) {
        label(list, text(cross.up), {px + 6, (py + cross.minY) / 2}, along);
    }
    if (cross.maxY - py > verticalLabelRoom) {
        label(list, text(cross.down), {px + 6, (py + cross.maxY) / 2}, along);
    }
}

void OverlayPainter::drawSizeLabel(DrawList& list, const Cross& cross, double s,
                                   Color color) const {
    const double px = cross.pointerX;
    const double py = cross.pointerY;
    // Flip to the pointer's other side where the label would not fit before the edge.
    const bool toLeft = scene_.size.width < px + 150;
    const bool above = scene_.size.height < py + 40;
    const Point at{toLeft ? px - 12 : px + 12, above ? py - 16 : py + 16};
    const Point anchor = above ? (toLeft ? UnitPoint::bottomTrailing : UnitPoint::bottomLeading)
                               : (toLeft ? UnitPoint::topTrailing : UnitPoint::topLeading);
    label(list,
          MeasurementText::size(cross.widthPixels(), cross.heightPixels(), DisplayScale(s),
                                scene_.unit, CopyStyle::plain),
          at, {13, anchor, color});
}

void OverlayPainter::drawMessage(DrawList& list, const std::string& text) const {
    LabelStyle style{13, UnitPoint::center, OverlayColors::labelBackground};
    Point at{scene_.size.width / 2, 60};
    if (scene_.pointer) {
        const Point p = *scene_.pointer;
        const bool toLeft = scene_.size.width < p.x + 260;
        style.anchor = toLeft ? UnitPoint::trailing : UnitPoint::leading;
        at = {toLeft ? p.x - 16 : p.x + 16, p.y - 26};
    }
    label(list, text, at, style);
}

void OverlayPainter::drawEditingBanner(DrawList& list) const {
    label(list, editingBannerText, {scene_.size.width / 2, scene_.size.height - 56},
          {13, UnitPoint::center, OverlayColors::labelBackground, {24, 10}});
}

Rect OverlayPainter::label(DrawList& list, std::string text, Point at,
                           const LabelStyle& style) const {
    return draw::addLabelBox(list, measurer_, scene_.size, std::move(text), at, style);
}

DrawList layoutOverlay(const OverlayScene& scene, const draw::TextMeasurer& measurer,
                       OverlayPainter::Parts* parts) {
    return OverlayPainter(scene, measurer).paint(parts);
}

} // namespace spanlet
