#pragma once

#include <optional>

#include <spanlet/Geometry.hpp>
#include <spanlet/Guides.hpp>

/// Stored preferences load unchecked, so every value read from them passes through these
/// before it sizes a window, places one, or feeds a computation. All lengths and coordinates
/// are points.
namespace spanlet::PreferenceLimits {

inline constexpr double defaultTolerance = 0.1;
inline constexpr double defaultRulerLength = 600;
inline constexpr double minimumRulerLength = 80;
/// The longest ruler when no display is known.
inline constexpr double rulerLengthWithoutDisplays = 2000;
/// Coordinates beyond ± this are not on any desktop (X11 positions are 16-bit device pixels)
/// and would overflow integer window geometry.
inline constexpr double coordinateLimit = 1'000'000;

/// The tolerance clamped to 0…1; NaN gives the default 0.1.
double usableTolerance(double stored);

/// The ruler length clamped to [80, max(80, longestSide)]; with no display (longestSide 0,
/// negative or not finite) the upper end is 2000. A non-finite length gives 600 first.
double usableRulerLength(double stored, double longestSide);

/// Whether a global coordinate is finite and within ±coordinateLimit.
bool usableCoordinate(double value);

/// The ruler's stored top-left corner when both coordinates are present and usable;
/// otherwise nothing, which centres the ruler on the pointer's display.
std::optional<Point> usableRulerOrigin(std::optional<double> x, std::optional<double> y);

/// The set without guides whose position is not a usable coordinate; order kept.
GuideSet usableGuides(GuideSet guides);

} // namespace spanlet::PreferenceLimits
