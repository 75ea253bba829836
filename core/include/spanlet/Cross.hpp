#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include <spanlet/Json.hpp>
#include <spanlet/Units.hpp>

namespace spanlet {

/// One measurement in screen terms: the pointer and the enclosing box in points (global space
/// of the caller, y down), the four distances in device pixels, and which sides stayed open
/// (no edge within the capture; the box then ends at the capture's boundary).
struct Cross {
    double pointerX = 0;
    double pointerY = 0;
    double minX = 0;
    double maxX = 0;
    double minY = 0;
    double maxY = 0;
    std::int64_t left = 0;  ///< device pixels from the pointer's pixel to the left edge
    std::int64_t right = 0; ///< device pixels to the right edge, the pointer's pixel included
    std::int64_t up = 0;
    std::int64_t down = 0; ///< the pointer's pixel included
    double scale = 1;      ///< device pixels per point when measured
    bool openLeft = false;
    bool openRight = false;
    bool openUp = false;
    bool openDown = false;

    [[nodiscard]] std::int64_t widthPixels() const noexcept { return left + right; }
    [[nodiscard]] std::int64_t heightPixels() const noexcept { return up + down; }
    /// A non-positive or non-finite stored scale reads as 1.
    [[nodiscard]] DisplayScale displayScale() const noexcept { return DisplayScale(scale); }
    /// x of each vertical edge that was found (minX, then maxX), 0 to 2 entries.
    [[nodiscard]] std::vector<double> verticalEdges() const;
    /// y of each horizontal edge that was found (minY, then maxY), 0 to 2 entries.
    [[nodiscard]] std::vector<double> horizontalEdges() const;
    /// The same measurement moved by (dx, dy) points; pixel counts, scale and flags unchanged.
    [[nodiscard]] Cross offsetBy(double dx, double dy) const noexcept;

    friend bool operator==(const Cross&, const Cross&) = default;
};

void to_json(Json& j, const Cross& c);
void from_json(const Json& j, Cross& c);

} // namespace spanlet

template <>
struct std::hash<spanlet::Cross> {
    std::size_t operator()(const spanlet::Cross& c) const noexcept;
};
