#include <QKeyEvent>

#include <spanlet/platform/qt/QtOverlayInput.hpp>

namespace spanlet {

namespace {

OverlayKey namedKey(int key) {
    switch (key) {
    case Qt::Key_Return:
        return OverlayKey::returnKey;
    case Qt::Key_Enter:
        return OverlayKey::enter;
    case Qt::Key_Escape:
        return OverlayKey::escape;
    case Qt::Key_Tab:
        return OverlayKey::tab;
    case Qt::Key_Backtab:
        return OverlayKey::backtab;
    case Qt::Key_Backspace:
        return OverlayKey::deleteKey;
    case Qt::Key_Delete:
        return OverlayKey::forwardDelete;
    case Qt::Key_Left:
        return OverlayKey::left;
    case Qt::Key_Right:
        return OverlayKey::right;
    case Qt::Key_Up:
        return OverlayKey::up;
    case Qt::Key_Down:
        return OverlayKey::down;
    default:
        return OverlayKey::other;
    }
}

} // namespace

OverlayKeyPress overlayKeyPress(const QKeyEvent& event) {
    OverlayKeyPress press;
    press.key = namedKey(event.key());
    const Qt::KeyboardModifiers held = event.modifiers();
    press.shift = held.testFlag(Qt::ShiftModifier);
    press.alt = held.testFlag(Qt::AltModifier);
    press.control = held.testFlag(Qt::ControlModifier);
    press.super = held.testFlag(Qt::MetaModifier);
    if (event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z) {
        press.text = std::string(1, static_cast<char>('a' + (event.key() - Qt::Key_A)));
    }
    return press;
}

OverlayButton overlayButton(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return OverlayButton::left;
    case Qt::RightButton:
        return OverlayButton::right;
    default:
        return OverlayButton::other;
    }
}

Qt::CursorShape cursorShape(OverlayCursor cursor) {
    switch (cursor) {
    case OverlayCursor::crosshair:
        return Qt::CrossCursor;
    case OverlayCursor::resizeLeftRight:
        return Qt::SizeHorCursor;
    case OverlayCursor::resizeUpDown:
        return Qt::SizeVerCursor;
    case OverlayCursor::arrow:
        break;
    }
    return Qt::ArrowCursor;
}

} // namespace spanlet
