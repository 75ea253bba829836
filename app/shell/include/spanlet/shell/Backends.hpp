#pragma once

#include <functional>
#include <memory>
#include <string>

#include <spanlet/model/ColorSampler.hpp>
#include <spanlet/model/Controllers.hpp>
#include <spanlet/platform/Platform.hpp>

namespace spanlet {

/// Qt's platform for the back end this session will get, or why there is none.
struct SessionPlatform {
    /// "wayland" or "xcb"; nullptr when no display server Spanlet can run on is offered.
    const char* qtPlatform = nullptr;
    /// Without a platform: the one line to print when there is more to say than that there is
    /// no display server (the compositor did not answer, say).
    std::string problem;
};

/// Decided before the application is made, so that an inherited QT_QPA_PLATFORM cannot pair
/// the wrong toolkit platform with a back end. Waits at most a few seconds for a compositor.
SessionPlatform qtPlatformForSession();

/// The display-server back end for this session, from those Spanlet is built with; nothing
/// when none of them can run here.
std::unique_ptr<Platform> loadPlatform();

class Mensor;

/// The overlay controller on a back end's overlay host, and how to bind it to the model once the
/// model (which is made with the controller) exists.
struct Overlays {
    std::unique_ptr<OverlayController> controller;
    std::function<void(Mensor&)> attach;
    /// Whether it takes the pointer while snapping (clicks keep, Escape ends snapping).
    bool takesClicks = false;
    /// Where it takes the pointer, the colour sampler on its surfaces (no window can follow the
    /// pointer there); else null.
    std::unique_ptr<ColorSampler> sampler;
};

/// The overlay drawn on `platform`'s overlay host; `platform` must outlive it.
Overlays makeOverlays(Platform& platform);

class RulerController;

/// The ruler: on a panel the back end hosts where it offers one, else in a Qt window;
/// `platform` must outlive it.
std::unique_ptr<RulerController> makeRuler(Platform& platform);

} // namespace spanlet
