#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusVariant>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

/// The structures of the StatusNotifierItem and com.canonical.dbusmenu interfaces, as QtDBus
/// marshals them.
namespace spanlet::dbus {

/// One image of an icon, `pixels` ARGB32 in network byte order: (iiay).
struct IconPixmap {
    int width = 0;
    int height = 0;
    QByteArray pixels;
};
using IconPixmaps = QList<IconPixmap>;

/// An item's tool tip: (sa(iiay)ss).
struct ToolTip {
    QString iconName;
    IconPixmaps image;
    QString title;
    QString description;
};

/// A menu item's properties: (ia{sv}).
struct MenuItem {
    int id = 0;
    QVariantMap properties;
};
using MenuItems = QList<MenuItem>;

/// A menu item and its children: (ia{sv}av), each child a variant holding the same structure.
struct MenuLayout {
    int id = 0;
    QVariantMap properties;
    QList<MenuLayout> children;
};

/// What happened to a menu item ("clicked", "hovered", ...): (isvu).
struct MenuEvent {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
using MenuEvents = QList<MenuEvent>;

/// A key equivalent as dbusmenu writes it: [["Control", "Shift", "R"]].
using Shortcut = QList<QStringList>;

/// Makes the types above known to QtDBus; call before exporting an object that uses them.
void registerTypes();

QDBusArgument& operator<<(QDBusArgument& arg, const IconPixmap& value);
const QDBusArgument& operator>>(const QDBusArgument& arg, IconPixmap& value);
QDBusArgument& operator<<(QDBusArgument& arg, const ToolTip& value);
const QDBusArgument& operator>>(const QDBusArgument& arg, ToolTip& value);
QDBusArgument& operator<<(QDBusArgument& arg, const MenuItem& value);
const QDBusArgument& operator>>(const QDBusArgument& arg, MenuItem& value);
QDBusArgument& operator<<(QDBusArgument& arg, const MenuLayout& value);
const QDBusArgument& operator>>(const QDBusArgument& arg, MenuLayout& value);
QDBusArgument& operator<<(QDBusArgument& arg, const MenuEvent& value);
const QDBusArgument& operator>>(const QDBusArgument& arg, MenuEvent& value);

} // namespace spanlet::dbus

Q_DECLARE_METATYPE(spanlet::dbus::IconPixmap)
Q_DECLARE_METATYPE(spanlet::dbus::ToolTip)
Q_DECLARE_METATYPE(spanlet::dbus::MenuItem)
Q_DECLARE_METATYPE(spanlet::dbus::MenuLayout)
Q_DECLARE_METATYPE(spanlet::dbus::MenuEvent)
