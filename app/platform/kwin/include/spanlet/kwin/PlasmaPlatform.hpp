#pragma once

#include <memory>

#include <spanlet/wayland/WaylandPlatform.hpp>

namespace spanlet::kwin {

/// KDE Plasma's back end: the Wayland back end (layer-shell overlay, displays, pointer, data
/// control clipboard) capturing through KWin's screenshot interface, as KWin offers no
/// screencopy, with global shortcuts through KDE's shortcut service where the session has it.
class PlasmaPlatform {
public:
    /// Whether the compositor $WAYLAND_DISPLAY names offers what this back end needs of it:
    /// KWin's own protocols and layer shell, but no screencopy (which the wlroots back end would
    /// take). Asked before the application is made, to pick Qt's platform; the session bus is
    /// asked by make(). Any other compositor without screencopy is left to the next back end.
    static wayland::WaylandPlatform::Offer offer();
    /// Nothing unless Qt runs on wayland, offer() holds and KWin's screenshot interface is on
    /// the session bus.
    static std::unique_ptr<wayland::WaylandPlatform> make();
};

} // namespace spanlet::kwin
