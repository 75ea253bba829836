#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

#include <spanlet/model/Observable.hpp>
#include <spanlet/shell/MenuModel.hpp>

class QMenu;
class QSystemTrayIcon;

namespace spanlet {

class DBusMenu;
class Mensor;
class StatusNotifierItem;

/// The tray icon and its menu. The icon is "ruler.fill" (a filled ruler) while edge snapping
/// is on and "ruler" (an outline) while it is off; its tool tip, which tray hosts and screen
/// readers use as its label, follows along. The menu is rebuilt from the model each time it
/// opens.
///
/// Where a StatusNotifierItem host is registered (Plasma, waybar, the AppIndicator
/// extensions, on Wayland and X11 alike) the icon is such an item with the menu exported over
/// D-Bus, and it follows the watcher, so a panel started later still gets it. Otherwise it is
/// Qt's tray icon (XEmbed on X11).
class Tray final : public QObject {
    Q_OBJECT
public:
    Tray(Mensor& model, Menu::Platform& platform);
    ~Tray() override;

    /// Shows the icon. Runs `withoutHost` once if no tray host takes it at start-up: at once
    /// when that is known at once, else when the StatusNotifierWatcher has answered (given a
    /// few seconds for its host when it has none yet).
    void show(std::function<void()> withoutHost);
    /// Whether a tray host shows the icon now.
    [[nodiscard]] bool shown() const noexcept { return shown_; }

    [[nodiscard]] QSystemTrayIcon& icon() const { return *icon_; }
    [[nodiscard]] QMenu& menu() const { return *menu_; }
    /// "ruler.fill" or "ruler".
    [[nodiscard]] QString iconName() const { return iconName_; }
    /// "Spanlet, edge snapping on" or "Spanlet".
    [[nodiscard]] QString label() const;

    /// The icon image of each name, rendered from the embedded SVGs.
    [[nodiscard]] static QIcon image(bool snapping);
    [[nodiscard]] static QString label(bool snapping);

    /// Fills the menu from the model's current state (done on every opening).
    void rebuildMenu();

private:
    void update(bool snapping);
    /// Shows the StatusNotifierItem where a host shows it, else Qt's icon.
    void place();

    Mensor& model_;
    Menu::Platform& platform_;
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> icon_;
    std::unique_ptr<DBusMenu> dbusMenu_;
    std::unique_ptr<StatusNotifierItem> item_;
    QString iconName_;
    Subscription snapping_;
    std::function<void()> withoutHost_;
    QTimer hostWait_;
    bool placing_ = false;
    bool hostWaited_ = false;
    bool shown_ = false;
};

} // namespace spanlet
