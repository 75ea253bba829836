#include <QAccessible>
#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <string>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/platform/DisplayPort.hpp>
#include <spanlet/ruler/RulerKeys.hpp>
#include <spanlet/ruler/RulerMenu.hpp>
#include <spanlet/ruler/qt/RulerPanel.hpp>

// Mouse, key and context-menu input of the ruler panel. Positions handed to the model are
// global top-left points from the display port; event positions are used only to tell the grip
// zone (view-local points).

namespace spanlet {

namespace {

/// The ruler key of a key press. Letters come from the key as the keyboard layout maps it,
/// without modifiers, as the ruler matches them regardless of Shift or Alt.
RulerKey rulerKey(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Escape:
        return RulerKey::escape;
    case Qt::Key_Left:
        return RulerKey::leftArrow;
    case Qt::Key_Right:
        return RulerKey::rightArrow;
    case Qt::Key_Down:
        return RulerKey::downArrow;
    case Qt::Key_Up:
        return RulerKey::upArrow;
    default:
        break;
    }
    if (event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z) {
        const std::string letter(1, static_cast<char>('a' + (event.key() - Qt::Key_A)));
        return RulerKeys::fromCharacters(letter);
    }
    return RulerKey::other;
}

} // namespace

bool RulerPanel::inResizeZone(QPointF position) const {
    return input_.inResizeZone({position.x(), position.y()});
}

void RulerPanel::updateHoverCursor(QPointF position) {
    if (!inResizeZone(position)) {
        setCursor(Qt::OpenHandCursor);
    } else if (model_.prefs()->rulerOrientation == RulerOrientation::horizontal) {
        setCursor(Qt::SizeHorCursor);
    } else {
        setCursor(Qt::SizeVerCursor);
    }
}

void RulerPanel::perform(const RulerAction& action) {
    spanlet::perform(model_, action);
}

void RulerPanel::postValueChanged() {
    const QString value = accessibleValue();
    QAccessibleValueChangeEvent event(this, value);
    QAccessible::updateAccessibility(&event);
    Q_EMIT accessibleValueChanged(value);
}

void RulerPanel::press(const QMouseEvent& event, int clickCount) {
    activateWindow();
    setFocus(Qt::MouseFocusReason);
    const QPointF local = event.position();
    input_.press(displays_.pointerLocation(), {local.x(), local.y()}, clickCount);
    if (!inResizeZone(local)) {
        setCursor(Qt::ClosedHandCursor);
    }
}

void RulerPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event); // the right button arrives as a context-menu event
        return;
    }
    press(*event, 1);
}

void RulerPanel::mouseDoubleClickEvent(QMouseEvent* event) {
    // Qt sends the second press of a double click as this event instead of a press.
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    press(*event, 2);
}

void RulerPanel::mouseMoveEvent(QMouseEvent* event) {
    if (!input_.drag()) {
        updateHoverCursor(event->position());
        return;
    }
    input_.moved(displays_.pointerLocation());
}

void RulerPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !input_.drag()) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    setCursor(Qt::OpenHandCursor);
    input_.release();
}

void RulerPanel::leaveEvent(QEvent* event) {
    if (!input_.drag()) {
        setCursor(Qt::ArrowCursor);
    }
    QWidget::leaveEvent(event);
}

void RulerPanel::keyPressEvent(QKeyEvent* event) {
    const RulerKey key = rulerKey(*event);
    if (!input_.key(key, event->modifiers().testFlag(Qt::ShiftModifier),
                    event->modifiers().testFlag(Qt::AltModifier))) {
        QWidget::keyPressEvent(event); // not ours: on to the parent or the application
        return;
    }
    if (RulerKeys::isArrow(key)) {
        postValueChanged();
    }
}

QMenu* RulerPanel::contextMenu() const {
    return menu_.data();
}

void RulerPanel::contextMenuEvent(QContextMenuEvent* event) {
    if (menu_) {
        menu_->close();
    }
    const Point pointer = displays_.pointerLocation();
    const Preferences& prefs = *model_.prefs();
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const RulerMenuEntry& entry :
         RulerMenu::entries(prefs.rulerOrientation, prefs.unit, pointer)) {
        if (entry.isSeparator()) {
            menu->addSeparator();
            continue;
        }
        QAction* item = menu->addAction(QString::fromStdString(entry.title));
        connect(item, &QAction::triggered, this,
                [this, action = entry.action] { perform(action); });
    }
    menu_ = menu;
    menu->popup(event->globalPos());
    event->accept();
}

} // namespace spanlet
