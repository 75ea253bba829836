#pragma once

#include <QDBusArgument>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantMap>
#include <string>

#include <spanlet/Commands.hpp>

namespace spanlet::portal {

/// One entry of the portal's shortcut lists, D-Bus type (sa{sv}): the shortcut's id and its
/// details ("description" and "preferred_trigger" when binding, "trigger_description" in
/// answers).
struct PortalShortcut {
    QString id;
    QVariantMap details;
};
using PortalShortcuts = QList<PortalShortcut>;

/// Registers PortalShortcut and PortalShortcuts with QtDBus; call before any message holds one.
void registerPortalTypes();

/// The trigger a command's shortcut is suggested as, in the freedesktop shortcut notation:
/// xkbcommon modifier names, then the key's keysym name, joined by "+": "CTRL+SHIFT+s".
std::string portalTrigger(const Shortcut& shortcut);

} // namespace spanlet::portal

QDBusArgument& operator<<(QDBusArgument& argument, const spanlet::portal::PortalShortcut& shortcut);
const QDBusArgument& operator>>(const QDBusArgument& argument,
                                spanlet::portal::PortalShortcut& shortcut);

Q_DECLARE_METATYPE(spanlet::portal::PortalShortcut)
