#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include <spanlet/ColorText.hpp>
#include <spanlet/overlay/LoupeLayout.hpp>
#include <spanlet/overlay/OverlayColors.hpp>
#include <spanlet/overlay/OverlayPainter.hpp>

namespace spanlet {

using draw::Color;
using draw::DrawList;
using draw::Path;

void OverlayPainter::drawLoupe(DrawList& list, const Loupe& loupe, Point pointer) const {
    const PixelBuffer& patch = loupe.patch;
    const std::int64_t n = patch.width();
    if (n < 1 || patch.height() < 1) {
        return; // nothing captured to magnify
    }
    const double side = LoupeLayout::side(patch);
    const double w = scene_.size.width;
    const double h = scene_.size.height;
    // Right of and below the pointer, flipped to the other side where it would not fit.
    const double x = w < pointer.x + 24 + side + 8 ? pointer.x - 24 - side : pointer.x + 24;
    const double y = h < pointer.y + 48 + side + 40 ? pointer.y - 48 - side - 30 : pointer.y + 48;
    LoupeLayout::addMagnifier(list, patch, {x, y});

    const Rect swatch{x, y + side + 8, 18, 18};
    const Path swatchPath = Path::roundedRect(swatch, 4);
    list.add(draw::FillPath{swatchPath, {loupe.color.red, loupe.color.green, loupe.color.blue, 1}});
    list.add(draw::StrokePath{swatchPath, Color::white(), 1.5});

    std::string text = ColorText::string(loupe.color, ColorStyle::hex);
    if (scene_.loupeHint) {
        text += "  ";
        text += *scene_.loupeHint;
    }
    label(list, std::move(text), {swatch.maxX() + 6, swatch.y + swatch.height / 2},
          {12, draw::UnitPoint::leading, OverlayColors::labelBackground});
}

} // namespace spanlet
