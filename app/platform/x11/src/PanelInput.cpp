#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>

#include <spanlet/platform/qt/QtOverlayInput.hpp>
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

} // namespace

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
        client_.input->buttonPressed(screenId_, globalPoint(*event),
                                     overlayButton(event->button()));
    }
}

void PanelInput::mouseReleaseEvent(QMouseEvent* event) {
    if (client_.input != nullptr) {
        client_.input->buttonReleased(screenId_, globalPoint(*event),
                                      overlayButton(event->button()));
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
