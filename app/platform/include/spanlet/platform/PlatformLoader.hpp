#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <spanlet/platform/Platform.hpp>

namespace spanlet::PlatformLoader {

/// The display servers Spanlet has a back end for: wlroots compositors, KDE Plasma's KWin, any
/// other Wayland compositor (measuring on a still frame), X11.
enum class Backend { wayland, plasma, stillFrame, x11 };

/// What the session offers: $WAYLAND_DISPLAY and $DISPLAY (nothing when unset or empty), and
/// the back end the user forces with $SPANLET_BACKEND (only "x11" is known).
struct Session {
    std::optional<std::string> waylandDisplay;
    std::optional<std::string> display;
    std::optional<std::string> forced;

    /// Read from the environment.
    [[nodiscard]] static Session fromEnvironment();
};

/// The back ends worth trying in `session`, best first: wlroots, Plasma, then the still frame
/// where a Wayland display is named; X11 only where no Wayland display is named but an X
/// display is, or where X11 is forced (an X11 overlay on a Wayland desktop cannot see its
/// windows). Empty: no display server.
std::vector<Backend> candidates(const Session& session);

/// Makes one back end; nothing when the display server lacks what it needs (a Wayland
/// compositor without layer shell, say).
using Factory = std::function<std::unique_ptr<Platform>()>;

/// A back end the application was built with.
struct Entry {
    Backend backend;
    Factory make;
};

/// The first candidate of `session` that is among `built` and starts; nothing when none does.
std::unique_ptr<Platform> load(const Session& session, std::span<const Entry> built);

} // namespace spanlet::PlatformLoader
