#pragma once

#include <memory>

#include <spanlet/platform/CapturePort.hpp>
#include <spanlet/platform/Clipboard.hpp>
#include <spanlet/platform/DisplayPort.hpp>
#include <spanlet/platform/OverlayHost.hpp>
#include <spanlet/platform/PanelHost.hpp>
#include <spanlet/platform/PermissionPort.hpp>
#include <spanlet/platform/PlatformHotkeys.hpp>
#include <spanlet/platform/Surfaces.hpp>

namespace spanlet {

/// One display-server back end: every port the rest of the application reaches the desktop
/// through. The overlay is drawn on the back end's overlay(); the ruler on a panel of
/// makePanel() where the back end offers one; the ruler otherwise, the sampler's loupe and the
/// tool windows use surfaces(). Made by the loader before any window of
/// ours exists (capture may need to be in place first) and kept until the event loop ends.
class Platform {
public:
    virtual ~Platform() = default;
    [[nodiscard]] virtual DisplayPort& displays() = 0;
    [[nodiscard]] virtual CapturePort& capture() = 0;
    [[nodiscard]] virtual PermissionPort& permission() = 0;
    [[nodiscard]] virtual PlatformHotkeys& hotkeys() = 0;
    [[nodiscard]] virtual Clipboard& clipboard() = 0;
    [[nodiscard]] virtual OverlayHost& overlay() = 0;
    [[nodiscard]] virtual WindowSurfaces& surfaces() = 0;
    /// A floating panel hosted by the back end itself, for a window system that would manage
    /// a toolkit window like any other (tile it, say); nothing where a toolkit window does.
    [[nodiscard]] virtual std::unique_ptr<PanelHost> makePanel() { return nullptr; }
};

} // namespace spanlet
