#include "ShortcutRecorder.hpp"

#include <QKeyEvent>

#include <spanlet/ShortcutBindings.hpp>

#include "ViewStyle.hpp"

namespace spanlet::views {

namespace {

// Modifiers alone are pressed on the way to a combination.
bool isModifierKey(int key) {
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        return true;
    default:
        return false;
    }
}

} // namespace

std::optional<Shortcut> recordedShortcut(int qtKey, Qt::KeyboardModifiers modifiers) {
    using M = Shortcut::Modifiers;
    // Qt's key codes of letters and digits are their upper-case ASCII codes.
    const bool letter = qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z;
    const bool digit = qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9;
    if (!letter && !digit) {
        return std::nullopt;
    }
    M mods;
    if (modifiers.testFlag(Qt::ControlModifier)) {
        mods.insert(M::control);
    }
    if (modifiers.testFlag(Qt::AltModifier)) {
        mods.insert(M::option);
    }
    if (modifiers.testFlag(Qt::ShiftModifier)) {
        mods.insert(M::shift);
    }
    if (modifiers.testFlag(Qt::MetaModifier)) {
        mods.insert(M::command);
    }
    return userShortcut(std::string(1, static_cast<char>(qtKey)), mods);
}

ShortcutRecorder::ShortcutRecorder(std::function<void(const Shortcut&)> recorded, QWidget* parent)
    : QPushButton(parent), recorded_(std::move(recorded)) {
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QPushButton::clicked, this, [this] {
        if (!recording_) {
            start();
        }
    });
}

void ShortcutRecorder::showKeys(const std::optional<Shortcut>& keys) {
    shown_ = keys ? qs(keys->display()) : QStringLiteral("None");
    if (!recording_) {
        setText(shown_);
    }
}

void ShortcutRecorder::start() {
    recording_ = true;
    setText(QStringLiteral("Press keys…"));
    setFocus(Qt::OtherFocusReason);
    // An active grab: the passive grabs of the global shortcuts do not fire while it lasts.
    grabKeyboard();
}

void ShortcutRecorder::stop() {
    recording_ = false;
    releaseKeyboard();
    setText(shown_);
}

void ShortcutRecorder::keyPressEvent(QKeyEvent* event) {
    if (!recording_) {
        QPushButton::keyPressEvent(event);
        return;
    }
    event->accept();
    if (event->key() == Qt::Key_Escape) {
        stop();
        return;
    }
    if (const auto keys = recordedShortcut(event->key(), event->modifiers())) {
        stop();
        recorded_(*keys);
    } else if (!isModifierKey(event->key())) {
        setText(QStringLiteral("Ctrl, Alt or Super and a letter…"));
    }
}

void ShortcutRecorder::focusOutEvent(QFocusEvent* event) {
    // The user moved on to another control. (Window activation going back and forth, which
    // taking the keyboard may cause, does not end recording.)
    const Qt::FocusReason reason = event->reason();
    if (recording_ && (reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
                       reason == Qt::BacktabFocusReason)) {
        stop();
    }
    QPushButton::focusOutEvent(event);
}

} // namespace spanlet::views
