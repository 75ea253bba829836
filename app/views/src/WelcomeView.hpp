#pragma once

#include <QWidget>
#include <functional>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/platform/PermissionPort.hpp>
#include <spanlet/views/HotkeyStatus.hpp>

class QPushButton;

namespace spanlet::views {

/// The first-launch window: what Spanlet is, the shortcut list, a note on permissions, and the
/// buttons "Show Ruler" and "Get Started". Where there is no tray it stands in for the tray
/// icon: its "Menu" button opens the same menu.
class WelcomeView : public QWidget {
    Q_OBJECT
public:
    /// `close` closes the welcome window; `openMenu` opens the application menu under the
    /// given control (empty: no "Menu" button). `overlayTakesClicks`: see ViewContext.
    WelcomeView(Mensor& model, HotkeyStatus& hotkeys, const PermissionPort& permission,
                std::function<void()> close, std::function<void(QWidget&)> openMenu,
                bool overlayTakesClicks = false, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* getStarted_ = nullptr;
};

} // namespace spanlet::views
