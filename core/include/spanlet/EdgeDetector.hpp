#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include <spanlet/Cross.hpp>
#include <spanlet/Json.hpp>
#include <spanlet/PixelBuffer.hpp>
#include <spanlet/RGBA.hpp>
#include <spanlet/Units.hpp>

namespace spanlet {

/// Tuning of one detection.
struct EdgeOptions {
    /// Largest per-channel difference (0–1 scale of RGBA::difference) that is still the same
    /// colour; a change of colour must exceed it.
    double threshold;
    /// How many times larger than the neighbouring variation a change must be to be an edge.
    double sharpness;

    /// The tolerance used until the user picks another one.
    static constexpr double defaultTolerance = 0.1;

    constexpr EdgeOptions(double threshold_, double sharpness_) noexcept
        : threshold(threshold_), sharpness(sharpness_) {}
    /// From the user's tolerance preference: threshold 0.01 for a tolerance ≤ 0 (or NaN),
    /// else 0.01 + 0.25 × min(tolerance, 1); sharpness 2.5.
    static EdgeOptions fromTolerance(double tolerance) noexcept;

    friend bool operator==(const EdgeOptions&, const EdgeOptions&) = default;
};

/// The region around the pointer along one line, in pixel indices of that line.
struct Span {
    std::int64_t start = 0; ///< first pixel of the region; the edge lies just before it
    std::int64_t end = 0;   ///< one past the last pixel of the region
    bool openStart = false; ///< no edge before the line's first pixel; start is then 0
    bool openEnd = false;   ///< no edge before the line's end; end is then the line's length

    [[nodiscard]] constexpr std::int64_t length() const noexcept { return end - start; }

    friend bool operator==(const Span&, const Span&) = default;
};

void to_json(Json& j, const Span& s);
void from_json(const Json& j, Span& s);

/// The result of one detection, in buffer pixels. right and down count the pointer's own
/// pixel, left and up do not, so left + right = width and up + down = height.
struct EdgeMeasurement {
    std::int64_t x = 0; ///< pointer's pixel in the row
    std::int64_t y = 0; ///< pointer's pixel in the column (0 is the top)
    Span horizontal;
    Span vertical;

    [[nodiscard]] constexpr std::int64_t left() const noexcept { return x - horizontal.start; }
    [[nodiscard]] constexpr std::int64_t right() const noexcept { return horizontal.end - x; }
    [[nodiscard]] constexpr std::int64_t up() const noexcept { return y - vertical.start; }
    [[nodiscard]] constexpr std::int64_t down() const noexcept { return vertical.end - y; }
    [[nodiscard]] constexpr std::int64_t width() const noexcept { return horizontal.length(); }
    [[nodiscard]] constexpr std::int64_t height() const noexcept { return vertical.length(); }

    /// The measurement in points: originX/originY are the positions (points) of the row's and
    /// the column's pixel 0, in the same space as the pointer.
    [[nodiscard]] Cross cross(DisplayScale scale, double pointerX, double pointerY, double originX,
                              double originY) const noexcept;

    friend bool operator==(const EdgeMeasurement&, const EdgeMeasurement&) = default;
};

/// Finds the edges around a pixel. A change of colour counts as an edge only when it is
/// clearly larger than the variation next to it, so noise, gradients and textures are walked
/// through; the blended pixel of an anti-aliased boundary goes to the side it is closer to.
namespace EdgeDetector {

/// Scans the row from x and the column from y in both directions. Nothing when x is not an
/// index of the row or y not an index of the column. Allocates nothing.
std::optional<EdgeMeasurement> measure(std::span<const RGBA> row, std::span<const RGBA> column,
                                       std::int64_t x, std::int64_t y,
                                       const EdgeOptions& options) noexcept;

/// measure() on row y and column x of the buffer; nothing when (x, y) is outside it.
std::optional<EdgeMeasurement> measure(const PixelBuffer& buffer, std::int64_t x, std::int64_t y,
                                       const EdgeOptions& options);

/// The region around `from` along one line; nothing when `from` is not an index of it.
std::optional<Span> span(std::span<const RGBA> along, std::int64_t from,
                         const EdgeOptions& options) noexcept;

} // namespace EdgeDetector

} // namespace spanlet
