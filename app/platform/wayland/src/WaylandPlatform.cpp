#include <QGuiApplication>

#include <spanlet/wayland/WaylandPlatform.hpp>

namespace spanlet::wayland {

bool WaylandPlatform::offered() {
    const std::unique_ptr<WaylandConnection> connection = WaylandConnection::connect();
    return connection && offersWlrootsProtocols(connection->globals());
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

WaylandPlatform::WaylandPlatform(std::unique_ptr<WaylandConnection> connection)
    : connection_(std::move(connection)), pump_(*connection_), displays_(*connection_),
      capture_(*connection_), holeCapture_(capture_), cursorCheck_(holeCapture_),
      clipboard_(*connection_) {}

WaylandPlatform::~WaylandPlatform() = default;

} // namespace spanlet::wayland
