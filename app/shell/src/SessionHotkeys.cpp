#include <QDBusConnection>
#include <QGuiApplication>

#include <spanlet/portal/PortalHotkeys.hpp>
#include <spanlet/shell/SessionHotkeys.hpp>

namespace spanlet {

namespace {

std::unique_ptr<portal::PortalHotkeys> portalWhereNeeded(const PlatformHotkeys& backend) {
    if (backend.route() != HotkeyRoute::configuration) {
        return nullptr;
    }
    return portal::PortalHotkeys::make(QDBusConnection::sessionBus(), SessionHotkeys::portalWait,
                                       QGuiApplication::desktopFileName());
}

} // namespace

SessionHotkeys::SessionHotkeys(PlatformHotkeys& backend)
    : portal_(portalWhereNeeded(backend)),
      chosen_(portal_ ? static_cast<PlatformHotkeys&>(*portal_) : backend) {}

SessionHotkeys::~SessionHotkeys() = default;

} // namespace spanlet
