#include <algorithm>
#include <utility>

#include <spanlet/draw/LabelBox.hpp>

namespace spanlet::draw {

namespace {

/// Text is measured as if laid out in at most this much room (points).
constexpr Size proposedTextSize{2000, 200};
/// Least distance of a label box from the canvas edges (points).
constexpr double edgeMargin = 4;

} // namespace

FontChoice labelFont(double size) {
    return {size, FontWeight::semibold, true};
}

Rect addLabelBox(DrawList& list, const TextMeasurer& measurer, Size canvas, std::string text,
                 Point at, const LabelStyle& style) {
    const FontChoice font = labelFont(style.fontSize);
    const Size measured = measurer.measure(text, font);
    const Size textSize{std::min(measured.width, proposedTextSize.width),
                        std::min(measured.height, proposedTextSize.height)};
    const double w = textSize.width + style.padding.width;
    const double h = textSize.height + style.padding.height;
    double x = at.x - style.anchor.x * w;
    double y = at.y - style.anchor.y * h;
    // Lower bound first, so a box wider than the canvas hangs off its left (top) edge.
    x = std::min(std::max(x, edgeMargin), canvas.width - w - edgeMargin);
    y = std::min(std::max(y, edgeMargin), canvas.height - h - edgeMargin);
    const Rect box{x, y, w, h};

    list.add(FillPath{Path::roundedRect(box, h / 2.6), style.fill});
    list.add(DrawText{std::move(text), font, Point{x + w / 2, y + h / 2}, UnitPoint::center,
                      textSize, Color::white()});
    return box;
}

} // namespace spanlet::draw
