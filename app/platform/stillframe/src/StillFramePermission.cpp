#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QStringList>
#include <utility>

#include <spanlet/stillframe/StillFramePermission.hpp>

namespace spanlet::stillframe {

bool StillFramePermission::sessionOffersCapture() {
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    if (bus == nullptr) {
        return false;
    }
    const QStringList activatable = bus->activatableServiceNames();
    for (const QString& name : {QStringLiteral("org.gnome.Mutter.ScreenCast"),
                                QStringLiteral("org.freedesktop.portal.Desktop")}) {
        if (bus->isServiceRegistered(name) || activatable.contains(name)) {
            return true;
        }
    }
    return false;
}

StillFramePermission::StillFramePermission(std::function<bool()> canTry)
    : canTry_(std::move(canTry)) {}

CaptureAccess StillFramePermission::access() const {
    if (canTry_()) {
        return {};
    }
    return {CaptureAccess::State::unavailable,
            {},
            "This desktop offers Spanlet no way to capture the screen: neither GNOME’s screen "
            "cast service nor the desktop portal (xdg-desktop-portal) runs on the session bus. "
            "Edge snapping and the colour picker need one of them; the ruler and guides work "
            "without."};
}

} // namespace spanlet::stillframe
