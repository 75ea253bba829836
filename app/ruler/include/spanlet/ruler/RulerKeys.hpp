#pragma once

#include <string_view>

#include <spanlet/Geometry.hpp>
#include <spanlet/model/RulerOrientation.hpp>
#include <spanlet/platform/OverlayHost.hpp>
#include <spanlet/ruler/RulerAction.hpp>

namespace spanlet {

/// The keys the ruler panel answers; everything else is `other` and goes on to the next
/// responder.
enum class RulerKey { escape, leftArrow, rightArrow, downArrow, upArrow, r, g, u, other };

/// Key handling of the ruler panel, free of any toolkit.
namespace RulerKeys {

/// Points moved or resized by one arrow press, and with Shift held.
inline constexpr double step = 1;
inline constexpr double shiftStep = 10;

/// The letter key of a key press from its text without modifiers: "r", "g" or "u" in either
/// case; `other` for any other text.
RulerKey fromCharacters(std::string_view charactersIgnoringModifiers);

/// The ruler key of a key press as a back end's surface reports it.
RulerKey fromKeyPress(const OverlayKeyPress& press);

/// What a key press does. `option` is the Option modifier (Alt on Linux); `origin` is the
/// ruler frame's top-left corner (global top-left points) and `length` its length (points).
/// Arrows move the ruler by 1 point, 10 with Shift; with Option they change the length along
/// the ruler and leave it as it is across it. Other keys give None.
RulerAction action(RulerKey key, bool shift, bool option, RulerOrientation orientation,
                   Point origin, double length);

/// Whether the key is an arrow, after which the panel reports a changed accessibility value.
constexpr bool isArrow(RulerKey key) {
    return key == RulerKey::leftArrow || key == RulerKey::rightArrow ||
           key == RulerKey::downArrow || key == RulerKey::upArrow;
}

} // namespace RulerKeys

} // namespace spanlet
