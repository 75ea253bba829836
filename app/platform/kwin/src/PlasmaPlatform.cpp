#include <QGuiApplication>

#include <spanlet/kwin/KGlobalAccelHotkeys.hpp>
#include <spanlet/kwin/PlasmaPermission.hpp>
#include <spanlet/kwin/PlasmaPlatform.hpp>
#include <spanlet/kwin/ScreenShotCapture.hpp>

namespace spanlet::kwin {

namespace {

using wayland::Globals;
using wayland::WaylandConnection;
using wayland::WaylandPlatform;

bool offersLayerShellOnly(const Globals& g) {
    return g.compositor != nullptr && g.shm != nullptr && g.seat != nullptr &&
           g.xdgOutputManager != nullptr && g.layerShell != nullptr && g.screencopy == nullptr &&
           g.kwin;
}

} // namespace

WaylandPlatform::Offer PlasmaPlatform::offer() {
    WaylandConnection::Failure failure{};
    const std::unique_ptr<WaylandConnection> connection =
        WaylandConnection::connect(nullptr, &failure);
    if (!connection) {
        return failure == WaylandConnection::Failure::silent ? WaylandPlatform::Offer::noAnswer
                                                             : WaylandPlatform::Offer::notEnough;
    }
    return offersLayerShellOnly(connection->globals()) ? WaylandPlatform::Offer::everything
                                                       : WaylandPlatform::Offer::notEnough;
}

std::unique_ptr<WaylandPlatform> PlasmaPlatform::make() {
    if (QGuiApplication::platformName() != QLatin1String("wayland") ||
        !ScreenShotCapture::offered(QDBusConnection::sessionBus())) {
        return nullptr;
    }
    std::unique_ptr<WaylandConnection> connection = WaylandConnection::connect();
    if (!connection || !offersLayerShellOnly(connection->globals())) {
        return nullptr;
    }
    return std::make_unique<WaylandPlatform>(
        std::move(connection),
        [](WaylandConnection& c) -> std::unique_ptr<CapturePort> {
            return std::make_unique<ScreenShotCapture>(c, QDBusConnection::sessionBus());
        },
        std::make_unique<PlasmaPermission>(QDBusConnection::sessionBus()),
        KGlobalAccelHotkeys::make(QDBusConnection::sessionBus()));
}

} // namespace spanlet::kwin
