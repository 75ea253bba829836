#pragma once

#include <string>
#include <string_view>

#include <spanlet/ruler/RulerView.hpp>

/// What the ruler panel tells assistive technology.
namespace spanlet::RulerAccessibility {

inline constexpr std::string_view label = "Ruler";
inline constexpr std::string_view help =
    "Drag to move. Arrow keys move it, Alt-arrow keys change its length, R turns it, G adds "
    "a guide at the pointer, Escape hides it.";

/// "Horizontal, 600 pt long", followed by ". Pointer at 12.5 pt" while the pointer's offset
/// lies in [0, length]. The length is printed in the view's unit and scale, the pointer's
/// offset unrounded.
std::string value(const RulerView& view);

} // namespace spanlet::RulerAccessibility
