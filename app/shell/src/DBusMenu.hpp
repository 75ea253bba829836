#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusVariant>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <vector>

#include <spanlet/shell/MenuModel.hpp>

#include "DBusTrayTypes.hpp"

namespace spanlet {

/// The tray menu as a com.canonical.dbusmenu object, the menu a StatusNotifierItem host shows.
/// Its items are the menu's entries, read again when a host is about to show it; "clicked"
/// on an item carries out the entry's action, as choosing it in the Qt menu does.
///
/// An entry with an action keeps one item id whatever its title or state, so a click on an
/// item of an older layout still carries out what the user saw. Section titles are disabled
/// items, as dbusmenu has no titles of its own.
class DBusMenu final : public QObject {
    Q_OBJECT
public:
    using Entries = std::function<std::vector<Menu::Entry>()>;
    using Act = std::function<void(Menu::Action)>;

    DBusMenu(Entries entries, Act act);

    /// Reads the entries again; tells the hosts when they changed.
    void refresh();

    /// The layout under `parentId` (0: the whole menu), `depth` levels deep (-1: all), with the
    /// properties named (none named: all). Its revision.
    [[nodiscard]] uint layout(int parentId, int depth, const QStringList& names,
                              dbus::MenuLayout& out) const;
    [[nodiscard]] dbus::MenuItems properties(const QList<int>& ids, const QStringList& names) const;
    /// Whether `id` is an item of the menu.
    [[nodiscard]] bool has(int id) const;
    /// A host reports `eventId` on item `id`; "clicked" on an enabled item carries out its
    /// action once the call has been answered.
    void handle(int id, const QString& eventId);
    /// A host is about to show the menu: whether it must read the layout again.
    bool aboutToShow();

Q_SIGNALS:
    void layoutUpdated(uint revision, int parent);

private:
    Entries entries_;
    Act act_;
    std::vector<Menu::Entry> current_;
    uint revision_ = 1;
    std::vector<Menu::Action> chosen_;
    QTimer later_;
};

/// The com.canonical.dbusmenu interface of a DBusMenu.
class DBusMenuAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)
public:
    explicit DBusMenuAdaptor(DBusMenu& menu);

    [[nodiscard]] uint version() const { return 3; }
    [[nodiscard]] QString textDirection() const { return QStringLiteral("ltr"); }
    [[nodiscard]] QString status() const { return QStringLiteral("normal"); }
    [[nodiscard]] QStringList iconThemePath() const { return {}; }

public Q_SLOTS: // NOLINT(readability-redundant-access-specifiers): the D-Bus methods
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                   spanlet::dbus::MenuLayout& layout);
    spanlet::dbus::MenuItems GetGroupProperties(const QList<int>& ids,
                                                const QStringList& propertyNames);
    QDBusVariant GetProperty(int id, const QString& name);
    void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
    // Spelled out: QtDBus finds a parameter's type by its name, which an alias lacks.
    QList<int> EventGroup(const QList<spanlet::dbus::MenuEvent>& events);
    bool AboutToShow(int id);
    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

Q_SIGNALS:
    void LayoutUpdated(uint revision, int parent);
    void ItemActivationRequested(int id, uint timestamp);

private:
    DBusMenu& menu_;
};

} // namespace spanlet
