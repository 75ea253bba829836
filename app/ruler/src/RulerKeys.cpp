#include <spanlet/ruler/RulerKeys.hpp>

namespace spanlet::RulerKeys {

RulerKey fromCharacters(std::string_view characters) {
    if (characters.size() != 1) {
        return RulerKey::other;
    }
    switch (characters.front()) {
    case 'r':
    case 'R':
        return RulerKey::r;
    case 'g':
    case 'G':
        return RulerKey::g;
    case 'u':
    case 'U':
        return RulerKey::u;
    default:
        return RulerKey::other;
    }
}

RulerKey fromKeyPress(const OverlayKeyPress& press) {
    switch (press.key) {
    case OverlayKey::escape:
        return RulerKey::escape;
    case OverlayKey::left:
        return RulerKey::leftArrow;
    case OverlayKey::right:
        return RulerKey::rightArrow;
    case OverlayKey::down:
        return RulerKey::downArrow;
    case OverlayKey::up:
        return RulerKey::upArrow;
    case OverlayKey::other:
        return fromCharacters(press.text);
    default:
        return RulerKey::other;
    }
}

namespace {

/// An arrow with Option: `along` is the arrow's signed change of the length when the arrow
/// runs along the ruler; an arrow across the ruler sets the length it already has.
RulerAction resize(bool alongRuler, double signedStep, double length) {
    return RulerAction::SetRulerLength{alongRuler ? length + signedStep : length};
}

} // namespace

RulerAction action(RulerKey key, bool shift, bool option, RulerOrientation orientation,
                   Point origin, double length) {
    const double s = shift ? shiftStep : step;
    const bool horizontal = orientation == RulerOrientation::horizontal;
    switch (key) {
    case RulerKey::escape:
        return RulerAction::ToggleRuler{};
    case RulerKey::leftArrow:
        return option ? resize(horizontal, -s, length)
                      : RulerAction{RulerAction::MoveRuler{{origin.x - s, origin.y}}};
    case RulerKey::rightArrow:
        return option ? resize(horizontal, s, length)
                      : RulerAction{RulerAction::MoveRuler{{origin.x + s, origin.y}}};
    case RulerKey::downArrow:
        return option ? resize(!horizontal, s, length)
                      : RulerAction{RulerAction::MoveRuler{{origin.x, origin.y + s}}};
    case RulerKey::upArrow:
        return option ? resize(!horizontal, -s, length)
                      : RulerAction{RulerAction::MoveRuler{{origin.x, origin.y - s}}};
    case RulerKey::r:
        return RulerAction::ToggleRulerOrientation{};
    case RulerKey::g:
        // A guide across the ruler, at the current pointer.
        return RulerAction::AddGuide{horizontal ? Axis::vertical : Axis::horizontal, std::nullopt};
    case RulerKey::u:
        return RulerAction::ToggleUnit{};
    case RulerKey::other:
        break;
    }
    return RulerAction::None{};
}

} // namespace spanlet::RulerKeys
