#include <QGuiApplication>

#include <spanlet/wayland/WaylandPanelHost.hpp>
#include <spanlet/wayland/WaylandPlatform.hpp>

namespace spanlet::wayland {

WaylandPlatform::Offer WaylandPlatform::offer() {
    WaylandConnection::Failure failure{};
    const std::unique_ptr<WaylandConnection> connection =
        WaylandConnection::connect(nullptr, &failure);
    if (!connection) {
        return failure == WaylandConnection::Failure::silent ? Offer::noAnswer : Offer::notEnough;
    }
    return offersWlrootsProtocols(connection->globals()) ? Offer::everything : Offer::notEnough;
}

std::unique_ptr<WaylandPlatform> WaylandPlatform::make() {
    if (QGuiApplication::platformName() != QLatin1String("wayland")) {
        return nullptr;
    }
    std::unique_ptr<WaylandConnection> connection = WaylandConnection::connect();
    if (!connection || !offersWlrootsProtocols(connection->globals())) {
        return nullptr;
    }
    return std::make_unique<WaylandPlatform>(std::move(connection));
}

std::unique_ptr<CapturePort> WaylandPlatform::screencopy(WaylandConnection& connection) {
    return std::make_unique<WaylandCapture>(connection);
}

WaylandPlatform::WaylandPlatform(std::unique_ptr<WaylandConnection> connection,
                                 const MakeCapture& makeCapture,
                                 std::unique_ptr<PermissionPort> permission,
                                 std::unique_ptr<PlatformHotkeys> hotkeys)
    : connection_(std::move(connection)), pump_(*connection_), displays_(*connection_),
      capture_(makeCapture(*connection_)), holeCapture_(*capture_), cursorCheck_(holeCapture_),
      permission_(permission ? std::move(permission) : std::make_unique<WaylandPermission>()),
      hotkeys_(hotkeys ? std::move(hotkeys) : std::make_unique<ConfiguredHotkeys>()),
      clipboard_(*connection_), overlay_(*connection_, displays_, holeCapture_, cursorCheck_) {}

WaylandPlatform::~WaylandPlatform() = default;

std::unique_ptr<PanelHost> WaylandPlatform::makePanel() {
    return std::make_unique<WaylandPanelHost>(*connection_, displays_, holeCapture_);
}

} // namespace spanlet::wayland
