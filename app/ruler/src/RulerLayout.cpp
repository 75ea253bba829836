#include <algorithm>
#include <utility>

#include <spanlet/Ruler.hpp>
#include <spanlet/ruler/RulerColors.hpp>
#include <spanlet/ruler/RulerLayout.hpp>

namespace spanlet::RulerLayout {

namespace {

constexpr double kFaceCornerRadius = 5;
constexpr double kBadgeCornerRadius = 4;
/// Text is measured as if offered this much room, as the badge never needs more.
constexpr Size kBadgeTextLimit{200, 40};

constexpr Point kTopLeft{0, 0};
constexpr Point kBottomLeft{0, 1};
constexpr Point kTopRight{1, 0};
constexpr Point kCentre{0.5, 0.5};

double tickLength(RulerTick::Level level) {
    switch (level) {
    case RulerTick::Level::minor:
        return 6;
    case RulerTick::Level::middle:
        return 10;
    case RulerTick::Level::major:
        return 16;
    }
    return 6;
}

/// One device pixel at the view's scale, in points.
double hairline(const RulerView& view) {
    return 1 / view.scale.factor();
}

Size measured(const draw::TextMeasurer& measurer, const std::string& text,
              const draw::FontChoice& font) {
    const Size s = measurer.measure(text, font);
    return {std::min(s.width, kBadgeTextLimit.width), std::min(s.height, kBadgeTextLimit.height)};
}

void addFace(draw::DrawList& list, Size size, const RulerColors& colors) {
    const draw::Path face =
        draw::Path::roundedRect({0, 0, size.width, size.height}, kFaceCornerRadius);
    list.add(draw::FillPath{face, colors.face});
    list.add(draw::StrokePath{face, colors.ink.withOpacity(0.28), 1});
}

/// Ticks grow from the top edge (horizontal) or the left edge (vertical), as crisp lines one
/// device pixel thick: one path per opacity. A tick at the far end moves in by one device pixel
/// so that it stays inside the view.
void addTicksAndLabels(draw::DrawList& list, const RulerView& view,
                       const draw::TextMeasurer& measurer, const RulerColors& colors) {
    const bool horizontal = view.orientation == RulerOrientation::horizontal;
    const double hair = hairline(view);
    const double end = view.length - hair;
    const std::vector<RulerTick> ticks =
        Ruler::ticks(view.length, view.scale, view.unit, minimumTickSpacing);
    // Labels are drawn after all ticks, so collect them on the way.
    std::vector<draw::DrawText> labels;
    const draw::FontChoice labelFont{9, draw::FontWeight::medium, true};
    draw::Path minor;
    draw::Path major;
    for (const RulerTick& tick : ticks) {
        const double t = tick.position;
        const double q = std::min(t, end);
        const double along = tickLength(tick.level);
        draw::Path& path = tick.level == RulerTick::Level::minor ? minor : major;
        if (horizontal) {
            path.addLine({q, 0}, {q, along});
        } else {
            path.addLine({0, q}, {along, q});
        }
        // None at the start (the unit label is there) and none that would run off the end.
        if (tick.label && t > 0 && t < view.length - labelEndMargin) {
            const Point at = horizontal ? Point{q + 2, 17} : Point{18, q + 1};
            labels.push_back({*tick.label, labelFont, at, kTopLeft,
                              measurer.measure(*tick.label, labelFont), colors.ink});
        }
    }
    for (auto [path, opacity] : {std::pair{&minor, 0.55}, std::pair{&major, 0.9}}) {
        if (!path->elements.empty()) {
            list.add(
                draw::StrokePath{std::move(*path), colors.ink.withOpacity(opacity), hair, true});
        }
    }
    for (draw::DrawText& label : labels) {
        list.add(std::move(label));
    }
}

void addUnitLabel(draw::DrawList& list, const RulerView& view, Size size,
                  const draw::TextMeasurer& measurer, const RulerColors& colors) {
    const draw::FontChoice font{9, draw::FontWeight::bold, false};
    std::string text(symbol(view.unit));
    const Size textSize = measurer.measure(text, font);
    const bool horizontal = view.orientation == RulerOrientation::horizontal;
    list.add(draw::DrawText{
        std::move(text), font, horizontal ? Point{3, size.height - 3} : Point{size.width - 3, 3},
        horizontal ? kBottomLeft : kTopRight, textSize, colors.ink.withOpacity(0.6)});
}

/// Three short lines across the ruler in its far corner.
void addGrip(draw::DrawList& list, const RulerView& view, Size size, const RulerColors& colors) {
    const double w = size.width;
    const double h = size.height;
    draw::Path grip;
    for (const double inset : {5.0, 8.0, 11.0}) {
        if (view.orientation == RulerOrientation::horizontal) {
            grip.addLine({w - inset, h - 14}, {w - inset, h - 4});
        } else {
            grip.addLine({w - 14, h - inset}, {w - 4, h - inset});
        }
    }
    list.add(draw::StrokePath{std::move(grip), colors.ink.withOpacity(0.4), 1});
}

} // namespace

std::optional<double> markerPosition(const RulerView& view) {
    if (!view.pointerOnRuler()) {
        return std::nullopt;
    }
    return view.scale.roundedToPixel(*view.pointerOffset);
}

std::optional<ReadoutBadge> readoutBadge(const RulerView& view,
                                         const draw::TextMeasurer& measurer) {
    const auto marker = markerPosition(view);
    if (!marker) {
        return std::nullopt;
    }
    const double p = *marker;
    const Size size = view.size();
    const double w0 = size.width;
    const double h0 = size.height;
    ReadoutBadge badge;
    badge.font = {10, draw::FontWeight::semibold, true};
    if (view.orientation == RulerOrientation::horizontal) {
        badge.text = Ruler::readout(p, view.scale, view.unit);
        badge.textSize = measured(measurer, badge.text, badge.font);
        const double w = badge.textSize.width + 8;
        const double h = badge.textSize.height + 3;
        // Flip to the marker's left where the badge would cross the far end.
        const double x = w0 - 2 < p + 4 + w ? p - 4 - w : p + 4;
        badge.box = {x, h0 - h - 3, w, h};
        return badge;
    }
    badge.text = Ruler::readoutNumber(p, view.scale, view.unit);
    badge.textSize = measured(measurer, badge.text, badge.font);
    // A long number shrinks the font, 10 to 8 points at most, to fit across the ruler.
    while (w0 - 4 < badge.textSize.width + 6 && badge.font.size > 8) {
        badge.font.size -= 1;
        badge.textSize = measured(measurer, badge.text, badge.font);
    }
    const double w = std::min(badge.textSize.width + 8, w0 - 4);
    const double h = badge.textSize.height + 3;
    const double x = std::max(w0 - w - 3, 2.0);
    // Flip above the marker where the badge would cross the lower end.
    const double y = h0 - 2 < p + 4 + h ? p - 4 - h : p + 4;
    badge.box = {x, y, w, h};
    return badge;
}

draw::DrawList draw(const RulerView& view, const draw::TextMeasurer& measurer) {
    const RulerColors colors = RulerColors::forAppearance(view.dark);
    const Size size = view.size();
    draw::DrawList list;
    addFace(list, size, colors);
    addTicksAndLabels(list, view, measurer, colors);
    addUnitLabel(list, view, size, measurer, colors);
    addGrip(list, view, size, colors);
    if (const auto marker = markerPosition(view)) {
        // Like the last tick, a marker at the far end moves in by one device pixel so that it
        // stays visible inside the view.
        const double hair = hairline(view);
        const double p = std::min(*marker, view.length - hair);
        draw::Path line = view.orientation == RulerOrientation::horizontal
                              ? draw::Path{}.addLine({p, 0}, {p, size.height})
                              : draw::Path{}.addLine({0, p}, {size.width, p});
        list.add(draw::StrokePath{std::move(line), colors.marker, hair, true});
        if (auto badge = readoutBadge(view, measurer)) {
            list.add(draw::FillPath{draw::Path::roundedRect(badge->box, kBadgeCornerRadius),
                                    colors.marker});
            const Point centre{badge->box.x + badge->box.width / 2,
                               badge->box.y + badge->box.height / 2};
            list.add(draw::DrawText{std::move(badge->text), badge->font, centre, kCentre,
                                    badge->textSize, draw::Color::white()});
        }
    }
    return list;
}

} // namespace spanlet::RulerLayout
