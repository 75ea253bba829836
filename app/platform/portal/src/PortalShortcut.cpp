#include <QDBusMetaType>
#include <cctype>

#include <spanlet/portal/PortalShortcut.hpp>

namespace spanlet::portal {

void registerPortalTypes() {
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<PortalShortcuts>();
}

std::string portalTrigger(const Shortcut& shortcut) {
    using M = Shortcut::Modifiers;
    std::string out;
    for (const auto& [modifier, name] :
         {std::pair{M::control, "CTRL"}, std::pair{M::option, "ALT"}, std::pair{M::shift, "SHIFT"},
          std::pair{M::command, "LOGO"}}) {
        if (shortcut.modifiers.contains(modifier)) {
            out += name;
            out += '+';
        }
    }
    // Letters are stored upper-case; their keysyms are the lower-case names ("s"), digits are
    // their own.
    for (const char c : shortcut.key) {
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

} // namespace spanlet::portal

QDBusArgument& operator<<(QDBusArgument& argument,
                          const spanlet::portal::PortalShortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.details;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument,
                                spanlet::portal::PortalShortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.details;
    argument.endStructure();
    return argument;
}
