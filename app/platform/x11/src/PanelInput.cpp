#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>

#include <spanlet/x11/OverlayPanel.hpp>
#include <spanlet/x11/PanelInput.hpp>

namespace spanlet::x11 {

namespace {

// The editor is a group to assistive technology, not a plain client area.
QAccessibleInterface* editorAccessible(const QString& /*className*/, QObject* object) {
    if (auto* view = qobject_cast<PanelInput*>(object)) {
        return new QAccessibleWidget(view, QAccessible::Grouping);
    }
    return nullptr;
}

Point globalPoint(const QMouseEvent& event) {
    const QPointF p = event.globalPosition();
    return {p.x(), p.y()};
}

OverlayButton button(Qt::MouseButton b) {
    switch (b) {
    case Qt::LeftButton:
        return OverlayButton::left;
    case Qt::RightButton:
        return OverlayButton::right;
    default:
        return OverlayButton::other;
    }
}

} // namespace

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

OverlayKeyPress overlayKeyPress(const QKeyEvent& event) {
    OverlayKeyPress press;
    press.shift = event.modifiers().testFlag(Qt::ShiftModifier);
    switch (event.key()) {
    case Qt::Key_Return:
        press.key = OverlayKey::returnKey;
        break;
    case Qt::Key_Enter:
        press.key = OverlayKey::enter;
        break;
    case Qt::Key_Escape:
        press.key = OverlayKey::escape;
        break;
    case Qt::Key_Tab:
        press.key = OverlayKey::tab;
        break;
    case Qt::Key_Backtab:
        press.key = OverlayKey::backtab;
        break;
    case Qt::Key_Backspace:
        press.key = OverlayKey::deleteKey;
        break;
    case Qt::Key_Delete:
        press.key = OverlayKey::forwardDelete;
        break;
    case Qt::Key_Left:
        press.key = OverlayKey::left;
        break;
    case Qt::Key_Right:
        press.key = OverlayKey::right;
        break;
    case Qt::Key_Up:
        press.key = OverlayKey::up;
        break;
    case Qt::Key_Down:
        press.key = OverlayKey::down;
        break;
    default:
        // Letters by key, not by text: Control or Alt would turn the text into something else.
        if (event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z) {
            press.text = std::string(1, static_cast<char>('a' + (event.key() - Qt::Key_A)));
        }
        break;
    }
    return press;
}

PanelInput::PanelInput(const PanelClient& client, std::uint32_t screenId, QWidget* parent)
    : QWidget(parent), client_(client), screenId_(screenId) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(editorAccessible);
        return true;
    }();
    (void)factoryInstalled;
    setAccessibleName(QStringLiteral("Guides editor"));
    setAccessibleDescription(QStringLiteral(
        "Tab selects a guide, arrow keys move it, Delete removes it, V or H adds a guide at the "
        "pointer, Escape finishes."));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
}

void PanelInput::mouseMoveEvent(QMouseEvent* event) {
    if (client_.input != nullptr) {
        client_.input->pointerMoved(screenId_, globalPoint(*event));
    }
}

void PanelInput::mousePressEvent(QMouseEvent* event) {
    if (client_.input != nullptr) {
        client_.input->buttonPressed(screenId_, globalPoint(*event), button(event->button()));
    }
}

void PanelInput::mouseReleaseEvent(QMouseEvent* event) {
    if (client_.input != nullptr) {
        client_.input->buttonReleased(screenId_, globalPoint(*event), button(event->button()));
    }
}

void PanelInput::keyPressEvent(QKeyEvent* event) {
    if (client_.input != nullptr) {
        client_.input->keyPressed(screenId_, overlayKeyPress(*event));
    }
}

bool PanelInput::focusNextPrevChild(bool /*next*/) {
    return false; // Tab belongs to the editor
}

} // namespace spanlet::x11
