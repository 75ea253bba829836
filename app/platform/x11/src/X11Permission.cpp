#include <QGuiApplication>
#include <cstdlib>

#include <spanlet/x11/X11Permission.hpp>

namespace spanlet {

CaptureAccess X11Permission::accessIn(std::optional<std::string_view> waylandDisplay,
                                      std::string_view platformName) {
    using State = CaptureAccess::State;
    // An empty WAYLAND_DISPLAY is the same as none.
    if (waylandDisplay && !waylandDisplay->empty()) {
        return {State::unavailable,
                {},
                "In this Wayland session Spanlet runs through Xwayland, and Xwayland can’t read "
                "the screen: the windows of Wayland apps and the desktop are hidden from it."};
    }
    if (platformName != "xcb") {
        return {State::unavailable,
                {},
                "Spanlet isn’t running on an X11 display here, so it can’t read the screen."};
    }
    return {};
}

CaptureAccess X11Permission::access() const {
    std::optional<std::string_view> wayland;
    if (const char* value = std::getenv("WAYLAND_DISPLAY")) {
        wayland = value;
    }
    const std::string platform =
        qGuiApp ? QGuiApplication::platformName().toStdString() : std::string();
    return accessIn(wayland, platform);
}

bool X11Permission::request() {
    return preflight();
}

} // namespace spanlet
