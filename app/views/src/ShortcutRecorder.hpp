#pragma once

#include <QPushButton>
#include <functional>
#include <optional>

#include <spanlet/Commands.hpp>

namespace spanlet::views {

/// The shortcut a key press records: a letter or digit key with Ctrl, Alt or Super held
/// (Shift may come on top); nothing for anything else.
std::optional<Shortcut> recordedShortcut(int qtKey, Qt::KeyboardModifiers modifiers);

/// A key cap that records a new combination: clicking it takes the keyboard (so the global
/// shortcuts do not fire meanwhile) until a valid combination is pressed, which goes to
/// `recorded`, or Escape, a click on another control or Tab cancels.
class ShortcutRecorder : public QPushButton {
    Q_OBJECT
public:
    ShortcutRecorder(std::function<void(const Shortcut&)> recorded, QWidget* parent = nullptr);

    /// Shows `keys` ("None" without) while not recording.
    void showKeys(const std::optional<Shortcut>& keys);
    [[nodiscard]] bool recording() const noexcept { return recording_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void start();
    void stop();

    std::function<void(const Shortcut&)> recorded_;
    QString shown_;
    bool recording_ = false;
};

} // namespace spanlet::views
