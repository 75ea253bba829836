#include "KeysymKeys.hpp"

#include <xkbcommon/xkbcommon-keysyms.h>

namespace spanlet::wayland {

OverlayKeyPress overlayKeyPress(std::uint32_t keysym, std::string text, bool shift) {
    OverlayKeyPress press;
    press.shift = shift;
    switch (keysym) {
    case XKB_KEY_Escape:
        press.key = OverlayKey::escape;
        break;
    case XKB_KEY_BackSpace:
        press.key = OverlayKey::deleteKey;
        break;
    case XKB_KEY_Tab:
        press.key = OverlayKey::tab;
        break;
    case XKB_KEY_ISO_Left_Tab: // Shift+Tab
        press.key = OverlayKey::backtab;
        break;
    case XKB_KEY_Return:
        press.key = OverlayKey::returnKey;
        break;
    case XKB_KEY_KP_Enter:
        press.key = OverlayKey::enter;
        break;
    case XKB_KEY_Up:
    case XKB_KEY_KP_Up:
        press.key = OverlayKey::up;
        break;
    case XKB_KEY_Left:
    case XKB_KEY_KP_Left:
        press.key = OverlayKey::left;
        break;
    case XKB_KEY_Right:
    case XKB_KEY_KP_Right:
        press.key = OverlayKey::right;
        break;
    case XKB_KEY_Down:
    case XKB_KEY_KP_Down:
        press.key = OverlayKey::down;
        break;
    case XKB_KEY_Delete:
    case XKB_KEY_KP_Delete:
        press.key = OverlayKey::forwardDelete;
        break;
    default:
        press.text = std::move(text);
        break;
    }
    return press;
}

} // namespace spanlet::wayland
