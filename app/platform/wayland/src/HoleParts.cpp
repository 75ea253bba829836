#include <algorithm>
#include <cstddef>

#include <spanlet/wayland/HoleParts.hpp>

namespace spanlet::wayland {

PixelRect clipped(const PixelRect& r, int width, int height) {
    const int x0 = std::clamp(r.x, 0, width);
    const int y0 = std::clamp(r.y, 0, height);
    const int x1 = std::clamp(r.x + std::max(r.width, 0), 0, width);
    const int y1 = std::clamp(r.y + std::max(r.height, 0), 0, height);
    return {x0, y0, x1 - x0, y1 - y0};
}

PixelRect intersected(const PixelRect& a, const PixelRect& b) {
    const int x0 = std::max(a.x, b.x);
    const int y0 = std::max(a.y, b.y);
    const int x1 = std::min(a.x + a.width, b.x + b.width);
    const int y1 = std::min(a.y + a.height, b.y + b.height);
    return {x0, y0, x1 - x0, y1 - y0};
}

std::vector<PixelRect> drawnParts(const PixelRect& hole, std::span<const std::uint32_t> canvas,
                                  int width, int height, int joinGap) {
    const PixelRect c = clipped(hole, width, height);
    const int x0 = c.x;
    const int y0 = c.y;
    const int x1 = c.x + c.width;
    const int y1 = c.y + c.height;
    std::vector<PixelRect> parts;
    if (x0 >= x1 || y0 >= y1 || canvas.size() < static_cast<std::size_t>(width) * height) {
        return parts;
    }
    // Slices across the longer side, each drawn or not.
    const bool across = x1 - x0 >= y1 - y0;
    const int length = across ? x1 - x0 : y1 - y0;
    const auto drawn = [&](int along) {
        const int xa = across ? x0 + along : x0;
        const int xb = across ? xa + 1 : x1;
        const int ya = across ? y0 : y0 + along;
        const int yb = across ? y1 : ya + 1;
        for (int y = ya; y < yb; ++y) {
            const std::uint32_t* line = canvas.data() + static_cast<std::size_t>(y) * width;
            if (std::any_of(line + xa, line + xb, [](std::uint32_t p) { return p != 0; })) {
                return true;
            }
        }
        return false;
    };
    const auto part = [&](int first, int last) {
        parts.push_back(across ? PixelRect{x0 + first, y0, last - first + 1, y1 - y0}
                               : PixelRect{x0, y0 + first, x1 - x0, last - first + 1});
    };
    int first = -1;
    int last = -1;
    for (int i = 0; i < length; ++i) {
        if (!drawn(i)) {
            continue;
        }
        if (first >= 0 && i - last > joinGap) {
            part(first, last);
            first = -1;
        }
        if (first < 0) {
            first = i;
        }
        last = i;
    }
    if (first >= 0) {
        part(first, last);
    }
    return parts;
}

} // namespace spanlet::wayland
