#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include <spanlet/ColorText.hpp>
#include <spanlet/overlay/OverlayColors.hpp>
#include <spanlet/overlay/OverlayPainter.hpp>

namespace spanlet {

using draw::Color;
using draw::DrawList;
using draw::Path;

namespace {

/// Side of one magnified pixel (points).
constexpr double cell = 8;

} // namespace

void OverlayPainter::drawLoupe(DrawList& list, const Loupe& loupe, Point pointer) const {
    const PixelBuffer& patch = loupe.patch;
    const std::int64_t n = patch.width();
    if (n < 1 || patch.height() < 1) {
        return; // nothing captured to magnify
    }
    const double side = cell * static_cast<double>(n);
    const double w = scene_.size.width;
    const double h = scene_.size.height;
    // Right of and below the pointer, flipped to the other side where it would not fit.
    const double x = w < pointer.x + 24 + side + 8 ? pointer.x - 24 - side : pointer.x + 24;
    const double y = h < pointer.y + 48 + side + 40 ? pointer.y - 48 - side - 30 : pointer.y + 48;

    const Rect frameRect{x, y, side, side};
    const Path frame = Path::roundedRect(frameRect, 10);
    list.add(draw::FillPathWithShadow{frame, Color::white(), Color::black(0.35), 8, {0, 3}});

    list.add(draw::PushClip{frame});
    // The frame follows the patch's width; rows of a taller patch would fall outside the
    // clip, so they are not drawn at all (and do not widen the damaged region).
    const std::int64_t rows = std::min(patch.height(), n);
    if (rows == patch.height()) {
        list.add(draw::FillPixels{{x, y, side, cell * static_cast<double>(rows)}, patch});
    } else {
        std::vector<RGBA> shown(patch.pixels().begin(),
                                patch.pixels().begin() + static_cast<std::ptrdiff_t>(n * rows));
        list.add(draw::FillPixels{{x, y, side, cell * static_cast<double>(rows)},
                                  PixelBuffer(n, rows, std::move(shown))});
    }
    Path grid;
    for (std::int64_t i = 1; i < n; ++i) {
        const double offset = cell * static_cast<double>(i);
        grid.addLine({x + offset, y}, {x + offset, y + side});
        grid.addLine({x, y + offset}, {x + side, y + offset});
    }
    if (!grid.elements.empty()) {
        list.add(draw::StrokePath{std::move(grid), Color::black(0.12), 0.5});
    }
    list.add(draw::PopClip{});

    // The pointer's pixel: a white ring inside a dark one, readable on any colour.
    const std::int64_t middle = n / 2; // the pointer's column and row in the patch
    const double m = cell * static_cast<double>(middle);
    const Rect centre{x + m, y + m, cell, cell};
    list.add(draw::StrokePath{Path::rect(centre.insetBy(-1, -1)), Color::white(), 2});
    list.add(draw::StrokePath{Path::rect(centre.insetBy(-2, -2)), Color::black(0.7), 1});
    list.add(draw::StrokePath{frame, Color::black(0.25), 1});

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
