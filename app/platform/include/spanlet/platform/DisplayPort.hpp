#pragma once

#include <functional>
#include <vector>

#include <spanlet/screen/ScreenInfo.hpp>

namespace spanlet {

/// The displays and the pointer, as the window system reports them. Main thread only.
class DisplayPort {
public:
    virtual ~DisplayPort() = default;
    /// Every display, primary first.
    [[nodiscard]] virtual std::vector<ScreenInfo> currentScreens() const = 0;
    /// The pointer in global top-left points. While watched, as new as what the handler was
    /// last given, or newer.
    [[nodiscard]] virtual Point pointerLocation() const = 0;
    /// Whether pointerLocation() is where the pointer is, or was last seen. False only where a
    /// client sees the pointer just over its own surfaces (Wayland) until one has seen it:
    /// pointerLocation() is then the desktop's origin, a placeholder.
    [[nodiscard]] virtual bool pointerKnown() const { return true; }
    /// Called once per change of the display set or of any display's geometry or scale.
    virtual void setScreensChangedHandler(std::function<void()> handler) = 0;
    /// Watches the pointer: `handler` runs from the event loop with each new position (global
    /// top-left points). An empty handler stops watching; an unwatched pointer costs nothing,
    /// as no motion is asked of the window system.
    virtual void setPointerHandler(std::function<void(Point)> handler) = 0;
};

} // namespace spanlet
