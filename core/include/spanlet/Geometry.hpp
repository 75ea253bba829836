#pragma once

#include <algorithm>

namespace spanlet {

/// A point in whatever space the caller names (usually global top-left points, y down).
struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0;
    double height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

/// An axis-aligned rectangle with its origin at the top-left (y grows downwards).
struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    [[nodiscard]] constexpr double minX() const { return x; }
    [[nodiscard]] constexpr double minY() const { return y; }
    [[nodiscard]] constexpr double maxX() const { return x + width; }
    [[nodiscard]] constexpr double maxY() const { return y + height; }
    [[nodiscard]] constexpr Point origin() const { return {x, y}; }
    [[nodiscard]] constexpr Size size() const { return {width, height}; }
    [[nodiscard]] constexpr bool isEmpty() const { return !(width > 0) || !(height > 0); }

    /// Half-open containment: the left and top edges belong to the rect, the right and bottom
    /// edges do not.
    [[nodiscard]] constexpr bool contains(Point p) const {
        return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
    }
    /// The rect grown by `dx` and `dy` on each side (shrunk for negative values).
    [[nodiscard]] constexpr Rect insetBy(double dx, double dy) const {
        return {x + dx, y + dy, width - 2 * dx, height - 2 * dy};
    }
    /// The common part of two rects; an empty rect (zero size) when they do not overlap.
    [[nodiscard]] constexpr Rect intersection(const Rect& o) const {
        const double x0 = std::max(minX(), o.minX());
        const double y0 = std::max(minY(), o.minY());
        const double x1 = std::min(maxX(), o.maxX());
        const double y1 = std::min(maxY(), o.maxY());
        if (!(x1 > x0) || !(y1 > y0)) {
            return {x0, y0, 0, 0};
        }
        return {x0, y0, x1 - x0, y1 - y0};
    }

    friend bool operator==(const Rect&, const Rect&) = default;
};

} // namespace spanlet
