#include "EvdevEditorKeys.hpp"

namespace spanlet {

EditorKeyPress editorKeyPress(std::uint32_t evdevCode, bool shift) {
    EditorKeyPress press;
    press.shift = shift;
    switch (evdevCode) {
    case 1:
        press.key = EditorKey::escape;
        break;
    case 14:
        press.key = EditorKey::deleteKey; // Backspace
        break;
    case 15:
        press.key = EditorKey::tab;
        break;
    case 28:
        press.key = EditorKey::returnKey;
        break;
    case 96:
        press.key = EditorKey::enter;
        break;
    case 103:
        press.key = EditorKey::up;
        break;
    case 105:
        press.key = EditorKey::left;
        break;
    case 106:
        press.key = EditorKey::right;
        break;
    case 108:
        press.key = EditorKey::down;
        break;
    case 111:
        press.key = EditorKey::forwardDelete;
        break;
    case 22:
        press.text = "u";
        break;
    case 35:
        press.text = "h";
        break;
    case 47:
        press.text = "v";
        break;
    default:
        break;
    }
    return press;
}

} // namespace spanlet
