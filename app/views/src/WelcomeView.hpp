#pragma once

#include <QWidget>
#include <functional>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/views/HotkeyStatus.hpp>

class QPushButton;

namespace spanlet::views {

/// The first-launch window: what Spanlet is, the shortcut list, a note on permissions, and the
/// buttons "Show Ruler" and "Get Started".
class WelcomeView : public QWidget {
    Q_OBJECT
public:
    /// `close` closes the welcome window.
    WelcomeView(Mensor& model, HotkeyStatus& hotkeys, std::function<void()> close,
                QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* getStarted_ = nullptr;
};

} // namespace spanlet::views
