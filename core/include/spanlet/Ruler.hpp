#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <spanlet/Enum.hpp>
#include <spanlet/Geometry.hpp>
#include <spanlet/Units.hpp>

namespace spanlet {

/// One tick mark of the on-screen ruler.
struct RulerTick {
    /// Length class of the mark; stored as an integer.
    enum class Level { minor = 0, middle = 1, major = 2 };

    double position = 0;              ///< Distance from the ruler's start, in points.
    Level level = Level::minor;       ///< Length class of the mark.
    std::optional<std::string> label; ///< Present on major ticks only.

    friend bool operator==(const RulerTick&, const RulerTick&) = default;
};

template <>
struct EnumTraits<RulerTick::Level> {
    static constexpr std::array allCases{RulerTick::Level::minor, RulerTick::Level::middle,
                                         RulerTick::Level::major};
};

constexpr int rawValue(RulerTick::Level level) {
    return static_cast<int>(level);
}

/// Tick spacings of a ruler, in units of the ruler (points or device pixels).
struct RulerSteps {
    double minor = 1;             ///< Spacing of all ticks.
    std::optional<double> middle; ///< Spacing of the middle ticks, if any.
    double major = 10;            ///< Spacing of the labelled ticks.

    friend bool operator==(const RulerSteps&, const RulerSteps&) = default;
};

namespace Ruler {

/// The part of the ruler window (points) that must stay on a screen so it can still be grabbed.
inline constexpr Size grip{40, 20};

/// The longest ruler (points) that ticks() lays out; longer rulers get ticks up to here only.
inline constexpr double maximumTickedLength = 100000;

/// Spacings, in units, of all ticks, the middle ticks and the labelled ticks, so that ticks lie
/// at least `minimumSpacing` points apart and labels at least `labelSpacing` points apart.
RulerSteps steps(DisplayScale scale, MeasureUnit unit, double minimumSpacing, double labelSpacing);

/// The ticks from the ruler's start to its end (`length` in points); labels at least 40 points
/// apart. A non-finite or negative length counts as 0.
std::vector<RulerTick> ticks(double length, DisplayScale scale, MeasureUnit unit,
                             double minimumSpacing);

/// The pointer's offset along the ruler (points) as text with the unit's symbol: "12.5 pt".
std::string readout(double offset, DisplayScale scale, MeasureUnit unit);
/// The same number without the symbol.
std::string readoutNumber(double offset, DisplayScale scale, MeasureUnit unit);

/// `origin` moved just enough that a grip-sized part of a window of `size` stays on `frame`
/// (all global top-left points). The upper bound wins when the bounds cross.
Point clamped(Point origin, Size size, Rect frame);

/// `origin` moved just enough that a window of `size` lies wholly on `frame`; along a side
/// longer than the frame, to the frame's start edge, so that as much of it as fits shows.
Point within(Point origin, Size size, Rect frame);

/// Whether `window` overlaps some screen frame by at least 39 × 19 points.
bool isReachable(Rect window, std::span<const Rect> screens);

} // namespace Ruler

} // namespace spanlet
