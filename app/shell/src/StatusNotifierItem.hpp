#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QIcon>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "DBusTrayTypes.hpp"

class QDBusPendingCall;
class QDBusServiceWatcher;

namespace spanlet {

class DBusMenu;

/// The tray icon as a StatusNotifierItem (org.kde.StatusNotifierItem), with `menu` as its
/// menu, for panels that host such items (Plasma, waybar, the AppIndicator extensions). Qt
/// looks for a host only once, when the first tray icon is made; this item follows the
/// StatusNotifierWatcher instead: it registers with every watcher that appears on the session
/// bus and knows whether a host shows it, so a panel started after Spanlet gets the icon.
class StatusNotifierItem final : public QObject {
    Q_OBJECT
public:
    /// `activate` runs when the host asks for the item's main action (a host that shows the
    /// menu itself on a click, as most do, never asks).
    StatusNotifierItem(QDBusConnection bus, DBusMenu& menu, std::function<void()> activate);
    ~StatusNotifierItem() override;

    /// Puts the item and its menu on the bus and starts following the watcher.
    void start();
    /// The icon and the tool tip, which hosts and screen readers use as its label.
    void setIcon(const QIcon& icon, const QString& toolTip);

    /// Whether a host shows the item: a watcher took it and has a host registered.
    [[nodiscard]] bool visible() const noexcept { return registered_ && hostThere_; }
    /// Whether a watcher took the item (a host may yet come).
    [[nodiscard]] bool registered() const noexcept { return registered_; }
    /// Whether the watcher's answers are still awaited.
    [[nodiscard]] bool asking() const noexcept { return asking_ > 0; }

    // What the adaptor reads.
    [[nodiscard]] const dbus::IconPixmaps& pixmaps() const noexcept { return pixmaps_; }
    [[nodiscard]] const QString& toolTip() const noexcept { return toolTip_; }
    void activate() const { activate_(); }

Q_SIGNALS:
    /// visible(), registered() or asking() changed.
    void changed();
    void iconChanged();
    void toolTipChanged();

private Q_SLOTS:
    /// Asks the watcher whether a host is registered (again when one comes or goes).
    void askHost();

private: // NOLINT(readability-redundant-access-specifiers): moc's slot section ends here
    void watcherAppeared();
    void watcherGone();
    /// Runs `done` with the reply of `call` unless the watcher went or came back meanwhile.
    void await(const QDBusPendingCall& call, std::function<void(const QDBusPendingCall&)> done);

    QDBusConnection bus_;
    DBusMenu& menu_;
    std::function<void()> activate_;
    std::unique_ptr<QDBusServiceWatcher> watcher_;
    QString service_;
    dbus::IconPixmaps pixmaps_;
    QString toolTip_;
    bool started_ = false;
    bool registered_ = false;
    bool hostThere_ = false;
    int asking_ = 0;
    /// Counts the watcher's comings and goings; replies from an earlier one are dropped.
    unsigned generation_ = 0;
};

/// The org.kde.StatusNotifierItem interface of a StatusNotifierItem.
class StatusNotifierItemAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconName READ iconName)
    Q_PROPERTY(spanlet::dbus::IconPixmaps IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ iconName)
    Q_PROPERTY(QString AttentionIconName READ iconName)
    Q_PROPERTY(spanlet::dbus::ToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
public:
    explicit StatusNotifierItemAdaptor(StatusNotifierItem& item);

    [[nodiscard]] QString category() const { return QStringLiteral("ApplicationStatus"); }
    [[nodiscard]] QString id() const { return QStringLiteral("spanlet"); }
    [[nodiscard]] QString title() const { return QStringLiteral("Spanlet"); }
    [[nodiscard]] QString status() const { return QStringLiteral("Active"); }
    [[nodiscard]] int windowId() const { return 0; }
    /// None: the icons are our own images (IconPixmap), not a theme's.
    [[nodiscard]] QString iconName() const { return {}; }
    [[nodiscard]] dbus::IconPixmaps iconPixmap() const { return item_.pixmaps(); }
    [[nodiscard]] dbus::ToolTip toolTip() const;
    /// Hosts show the menu on a click.
    [[nodiscard]] bool itemIsMenu() const { return true; }
    [[nodiscard]] QDBusObjectPath menu() const;

public Q_SLOTS: // NOLINT(readability-redundant-access-specifiers): the D-Bus methods
    void Activate(int x, int y);
    void SecondaryActivate(int x, int y);
    void ContextMenu(int x, int y);
    void Scroll(int delta, const QString& orientation);

Q_SIGNALS:
    void NewTitle();
    void NewIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

private:
    StatusNotifierItem& item_;
};

} // namespace spanlet
