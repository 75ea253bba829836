#include <spanlet/wayland/Outputs.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>
#include <spanlet/wayland/WaylandDisplayPort.hpp>

namespace spanlet::wayland {

WaylandDisplayPort::WaylandDisplayPort(WaylandConnection& connection) : connection_(connection) {}

WaylandDisplayPort::~WaylandDisplayPort() {
    connection_.outputs().setChangedHandler({});
}

std::vector<ScreenInfo> WaylandDisplayPort::currentScreens() const {
    return connection_.outputs().screens();
}

void WaylandDisplayPort::setScreensChangedHandler(std::function<void()> handler) {
    connection_.outputs().setChangedHandler(std::move(handler));
}

} // namespace spanlet::wayland
