#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <memory>

#include <spanlet/model/Observable.hpp>
#include <spanlet/shell/MenuModel.hpp>

class QMenu;
class QSystemTrayIcon;

namespace spanlet {

class Mensor;

/// The tray icon and its menu. The icon is "ruler.fill" (a filled ruler) while edge snapping
/// is on and "ruler" (an outline) while it is off; its tool tip, which tray hosts and screen
/// readers use as its label, follows along. The menu is rebuilt from the model each time it
/// opens.
class Tray final : public QObject {
    Q_OBJECT
public:
    Tray(Mensor& model, Menu::Platform& platform);
    ~Tray() override;

    /// Shows the icon. Whether a tray host is there to take it.
    bool show();

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

    Mensor& model_;
    Menu::Platform& platform_;
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> icon_;
    QString iconName_;
    Subscription snapping_;
};

} // namespace spanlet
