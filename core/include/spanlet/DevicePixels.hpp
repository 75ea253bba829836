#pragma once

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

/// The column (or row) of the device pixel that holds the coordinate `points`.
[[nodiscard]] inline double index(double points, double scale) noexcept {
    return std::floor(fromPoints(points, scale));
}

/// The whole device-pixel coordinate or length nearest to `points`, halves away from zero.
[[nodiscard]] inline double nearest(double points, double scale) noexcept {
    return std::round(fromPoints(points, scale));
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
