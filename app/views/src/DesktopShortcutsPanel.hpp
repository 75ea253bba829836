#pragma once

#include <QWidget>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/platform/PlatformHotkeys.hpp>

class QLabel;
class QPushButton;

namespace spanlet::views {

/// Where the desktop's keyboard settings can run Spanlet's commands: a button that adds the
/// user's shortcuts there, after asking with what it writes, and the shortcuts those settings
/// hold for Spanlet, read back from them.
class DesktopShortcutsPanel : public QWidget {
    Q_OBJECT
public:
    DesktopShortcutsPanel(Mensor& model, DesktopShortcuts& desktop, QWidget* parent = nullptr);

private:
    void addAfterAsking();
    /// Shows what the desktop's settings hold now.
    void showBound();

    Mensor& model_;
    DesktopShortcuts& desktop_;
    QPushButton* add_ = nullptr;
    QLabel* bound_ = nullptr;
    QLabel* problem_ = nullptr;
};

} // namespace spanlet::views
