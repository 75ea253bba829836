#include "KeysymEditorKeys.hpp"

#include <xkbcommon/xkbcommon-keysyms.h>

namespace spanlet {

EditorKeyPress editorKeyPress(std::uint32_t keysym, std::string text, bool shift) {
    EditorKeyPress press;
    press.shift = shift;
    switch (keysym) {
    case XKB_KEY_Escape:
        press.key = EditorKey::escape;
        break;
    case XKB_KEY_BackSpace:
        press.key = EditorKey::deleteKey;
        break;
    case XKB_KEY_Tab:
        press.key = EditorKey::tab;
        break;
    case XKB_KEY_ISO_Left_Tab: // Shift+Tab
        press.key = EditorKey::backtab;
        break;
    case XKB_KEY_Return:
        press.key = EditorKey::returnKey;
        break;
    case XKB_KEY_KP_Enter:
        press.key = EditorKey::enter;
        break;
    case XKB_KEY_Up:
    case XKB_KEY_KP_Up:
        press.key = EditorKey::up;
        break;
    case XKB_KEY_Left:
    case XKB_KEY_KP_Left:
        press.key = EditorKey::left;
        break;
    case XKB_KEY_Right:
    case XKB_KEY_KP_Right:
        press.key = EditorKey::right;
        break;
    case XKB_KEY_Down:
    case XKB_KEY_KP_Down:
        press.key = EditorKey::down;
        break;
    case XKB_KEY_Delete:
    case XKB_KEY_KP_Delete:
        press.key = EditorKey::forwardDelete;
        break;
    default:
        press.text = std::move(text);
        break;
    }
    return press;
}

} // namespace spanlet
