#pragma once

#include <algorithm>
#include <cmath>

#include <spanlet/Geometry.hpp>

/// The one place where points become device pixels and back, at a display's scale (device
/// pixels per point). Every scale is taken as given; callers pass a DisplayScale's factor or a
/// window's device-pixel ratio, both positive.
namespace spanlet::DevicePixels {

/// A coordinate or length in points, in device pixels (not rounded).
[[nodiscard]] inline double fromPoints(double points, double scale) noexcept {
    return points * scale;
}

/// A coordinate or length in device pixels, in points.
[[nodiscard]] inline double toPoints(double pixels, double scale) noexcept {
    return pixels / scale;
}

/// How far short of a pixel boundary (in device pixels) a coordinate still counts as on it. A
/// position read in device pixels (the pointer, a guide dropped there) comes back from a
/// display's global points a few ulps short of its boundary at scales such as 1.5.
inline constexpr double boundarySlack = 1e-6;

/// The column (or row) of the device pixel that holds the coordinate `points`.
[[nodiscard]] inline double index(double points, double scale) noexcept {
    return std::floor(fromPoints(points, scale) + boundarySlack);
}

/// The whole device-pixel coordinate or length nearest to `points`, halves away from zero.
[[nodiscard]] inline double nearest(double points, double scale) noexcept {
    return std::round(fromPoints(points, scale));
}

/// A run of whole device pixels: `start` (a column or row) and `count`, both whole numbers.
struct Run {
    double start = 0;
    double count = 0;
    friend bool operator==(const Run&, const Run&) = default;
};

/// The device pixels a line of `width` points drawn at the coordinate `points` covers when it
/// must stay crisp: a whole number of pixels (at least one), starting at the pixel that holds
/// the coordinate; a wider line takes as many pixels before that one as it needs to stay
/// centred on it (one fewer when the count is even).
[[nodiscard]] inline Run hairline(double points, double width, double scale) noexcept {
    const double count = std::max(1.0, std::round(fromPoints(width, scale)));
    return {index(points, scale) - std::floor((count - 1) / 2), count};
}

/// Where to draw a hairline of `width` points so that it covers the pixels just before the
/// pixel boundary nearest to `boundary` (a span's last pixels, the far end caps of a
/// measurement): the centre of the pixel its run is laid out from, in points.
[[nodiscard]] inline double hairlineBefore(double boundary, double width, double scale) noexcept {
    const double count = std::max(1.0, std::round(fromPoints(width, scale)));
    const double start = nearest(boundary, scale) - count;
    return toPoints(start + std::floor((count - 1) / 2) + 0.5, scale);
}

/// The device pixels a line's length from `from` to `to` points covers when both ends move to
/// the nearest pixel boundary; at least one pixel, so that a short line stays seen.
[[nodiscard]] inline Run hairlineLength(double from, double to, double scale) noexcept {
    const double a = nearest(std::min(from, to), scale);
    const double b = nearest(std::max(from, to), scale);
    return {a, std::max(1.0, b - a)};
}

/// The device pixels a rectangle in points touches, as whole-pixel edges: the smallest
/// rectangle of whole device pixels that holds it.
struct Span {
    double minX = 0;
    double minY = 0;
    double maxX = 0;
    double maxY = 0;
};
[[nodiscard]] inline Span enclosing(const Rect& points, double scale) noexcept {
    return {
        std::floor(fromPoints(points.minX(), scale)), std::floor(fromPoints(points.minY(), scale)),
        std::ceil(fromPoints(points.maxX(), scale)), std::ceil(fromPoints(points.maxY(), scale))};
}

} // namespace spanlet::DevicePixels
