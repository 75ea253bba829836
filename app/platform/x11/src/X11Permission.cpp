#include <QGuiApplication>
#include <cstdlib>

#include <spanlet/x11/X11Permission.hpp>

namespace spanlet {

bool X11Permission::captureAllowed(std::optional<std::string_view> waylandDisplay,
                                   std::string_view platformName) {
    // An empty WAYLAND_DISPLAY is the same as none.
    if (waylandDisplay && !waylandDisplay->empty()) {
        return false;
    }
    return platformName == "xcb";
}

bool X11Permission::preflight() const {
    std::optional<std::string_view> wayland;
    if (const char* value = std::getenv("WAYLAND_DISPLAY")) {
        wayland = value;
    }
    const std::string platform =
        qGuiApp ? QGuiApplication::platformName().toStdString() : std::string();
    return captureAllowed(wayland, platform);
}

bool X11Permission::request() {
    return preflight();
}

void X11Permission::openSettings() {}

} // namespace spanlet
