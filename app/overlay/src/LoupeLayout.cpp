#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include <spanlet/overlay/LoupeLayout.hpp>

namespace spanlet::LoupeLayout {

using draw::Color;
using draw::Path;

double side(const PixelBuffer& patch) {
    return cell * static_cast<double>(std::max<std::int64_t>(patch.width(), 0));
}

void addMagnifier(draw::DrawList& list, const PixelBuffer& patch, Point origin) {
    const std::int64_t n = patch.width();
    if (n < 1 || patch.height() < 1) {
        return; // nothing captured to magnify
    }
    const double s = side(patch);
    const double x = origin.x;
    const double y = origin.y;
    const Path frame = Path::roundedRect({x, y, s, s}, 10);
    list.add(draw::FillPathWithShadow{frame, Color::white(), Color::black(0.35), 8, {0, 3}});

    list.add(draw::PushClip{frame});
    // The frame follows the patch's width; rows of a taller patch would fall outside the
    // clip, so they are not drawn at all (and do not widen the damaged region).
    const std::int64_t rows = std::min(patch.height(), n);
    if (rows == patch.height()) {
        list.add(draw::FillPixels{{x, y, s, cell * static_cast<double>(rows)}, patch});
    } else {
        std::vector<RGBA> shown(patch.pixels().begin(),
                                patch.pixels().begin() + static_cast<std::ptrdiff_t>(n * rows));
        list.add(draw::FillPixels{{x, y, s, cell * static_cast<double>(rows)},
                                  PixelBuffer(n, rows, std::move(shown))});
    }
    Path grid;
    for (std::int64_t i = 1; i < n; ++i) {
        const double offset = cell * static_cast<double>(i);
        grid.addLine({x + offset, y}, {x + offset, y + s});
        grid.addLine({x, y + offset}, {x + s, y + offset});
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
}

} // namespace spanlet::LoupeLayout
