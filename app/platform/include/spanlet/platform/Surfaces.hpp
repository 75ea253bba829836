#pragma once

#include <cstdint>

namespace spanlet {

/// A top-level window of ours as the window system names it (QWindow::winId()).
using NativeWindow = std::uint64_t;

/// A rectangle of whole device pixels, local to a window, surface or output, y down.
struct DeviceRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const DeviceRect&, const DeviceRect&) = default;
};

/// What every window of ours (overlay panels, the ruler, the sampler's loupe, the tool windows)
/// needs from the window system beyond what the toolkit does. Main thread only.
class WindowSurfaces {
public:
    virtual ~WindowSurfaces() = default;

    /// Whether a compositor draws our windows' translucency, asked of the window system now
    /// (call it when a window is made or shown, not per frame). Without one, unpainted pixels
    /// show black, so translucent windows cut themselves to what they draw (shape mode).
    [[nodiscard]] virtual bool compositing() const = 0;

    /// Leaves `window` out of every capture from now on, through filters already made too.
    /// Call it before the window is first shown.
    virtual void addOwnWindow(NativeWindow window) = 0;
    virtual void removeOwnWindow(NativeWindow window) = 0;
};

} // namespace spanlet
