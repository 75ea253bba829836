#pragma once

#include <optional>
#include <span>

#include <spanlet/Geometry.hpp>
#include <spanlet/Units.hpp>
#include <spanlet/model/Preferences.hpp>
#include <spanlet/model/RulerOrientation.hpp>
#include <spanlet/screen/ScreenInfo.hpp>

namespace spanlet {

class Mensor;

/// What one frame of the ruler shows. Built from the model's state; the layout turns it into
/// draw operations and the panel's accessibility value reads it too.
struct RulerView {
    /// Thickness of the ruler strip, points.
    static constexpr double thickness = 40;

    RulerOrientation orientation = RulerOrientation::horizontal;
    /// Points.
    double length = 600;
    MeasureUnit unit = MeasureUnit::points;
    /// Scale of the display under the ruler's top-left corner.
    DisplayScale scale = DisplayScale::retina;
    /// Distance of the pointer from the ruler's start along its length (points). May be
    /// negative or beyond the length; the marker is drawn only within [0, length].
    std::optional<double> pointerOffset;
    /// Dark appearance.
    bool dark = false;

    /// The canvas size: length × 40 for a horizontal ruler, 40 × length for a vertical one.
    [[nodiscard]] Size size() const noexcept;
    /// Whether the pointer lies on the ruler: an offset in [0, length].
    [[nodiscard]] bool pointerOnRuler() const noexcept;

    /// The view for a ruler at `frame` (global top-left points): the orientation and unit from
    /// `prefs`, the length of `frame` along the orientation (the length the window really has),
    /// the scale of the display under the frame's top-left corner (retina when there are no
    /// displays) and the pointer's offset from the frame's start along the orientation.
    static RulerView make(const Preferences& prefs, const Rect& frame, Point pointer,
                          std::span<const ScreenInfo> screens, bool dark);
    /// make() with the model's preferences, ruler frame, pointer and displays.
    static RulerView make(const Mensor& model, bool dark);

    friend bool operator==(const RulerView&, const RulerView&) = default;
};

/// The scale of the display under `corner` (global top-left points), or the retina scale when
/// no display is known.
DisplayScale rulerScale(Point corner, std::span<const ScreenInfo> screens);

} // namespace spanlet
