#pragma once

#include <string>

#include <spanlet/Geometry.hpp>
#include <spanlet/draw/DrawOps.hpp>
#include <spanlet/draw/TextMeasurer.hpp>

namespace spanlet::draw {

/// Unit points of a box: which point of it is placed on the anchor point.
namespace UnitPoint {
inline constexpr Point center{0.5, 0.5};
inline constexpr Point leading{0, 0.5};
inline constexpr Point trailing{1, 0.5};
inline constexpr Point topLeading{0, 0};
inline constexpr Point topTrailing{1, 0};
inline constexpr Point bottomLeading{0, 1};
inline constexpr Point bottomTrailing{1, 1};
} // namespace UnitPoint

/// How one label box looks and where it hangs.
struct LabelStyle {
    double fontSize = 13;
    Point anchor = UnitPoint::center; ///< unit point of the box placed on the anchor point
    Color fill;
    Size padding{12, 5}; ///< added to the text's width and height (both sides together)
};

/// The font every label uses: semibold system font with tabular digits.
FontChoice labelFont(double size);

/// Adds a label box: a filled rounded rect (corner radius h / 2.6) sized to the measured text
/// plus padding, its `style.anchor` unit point placed on `at`, then moved to stay 4 points
/// inside a canvas of size `canvas` (the far edge wins when the box is too big), and the white
/// text centred on it. Returns the box.
Rect addLabelBox(DrawList& list, const TextMeasurer& measurer, Size canvas, std::string text,
                 Point at, const LabelStyle& style);

} // namespace spanlet::draw
