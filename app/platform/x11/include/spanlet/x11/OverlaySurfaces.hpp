#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include <spanlet/platform/Surfaces.hpp>

namespace spanlet {

/// Memory a surface's pixels are painted into: `width` × `height` premultiplied ARGB32 words in
/// the host's byte order, `stride` bytes from one row to the next.
struct SurfaceFrame {
    std::uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;
    /// Made anew (and cleared to transparent): whatever the window showed before is stale.
    bool fresh = false;
};

/// Puts one window's pixels on screen straight from memory of ours, bypassing the toolkit's
/// own copy: a pointer move then costs one small request per damaged rectangle.
class SurfacePresenter {
public:
    virtual ~SurfacePresenter() = default;
    /// The frame, `width` × `height` device pixels. Safe to paint on: the window system has
    /// read what was last presented.
    virtual SurfaceFrame frame(int width, int height) = 0;
    /// Gives the frame's memory back (a hidden window needs none); the next frame() is fresh.
    virtual void discardFrame() = 0;
    /// Copies each rectangle of the frame (clipped to it) to the same place in the window.
    /// False when the presenter can no longer show anything: the toolkit must paint instead.
    virtual bool present(std::span<const DeviceRect> rects) = 0;
};

/// A small window of ours above a panel that the window system moves: the picture in it is
/// painted only when it changes. Input passes through it; captures leave it out.
class FloatingSurface {
public:
    virtual ~FloatingSurface() = default;
    [[nodiscard]] virtual NativeWindow window() const = 0;
    /// The frame to paint, at least `width` × `height` device pixels (the window's size).
    virtual SurfaceFrame frame(int width, int height) = 0;
    /// Puts the whole frame on screen. False when nothing more can be shown.
    virtual bool present() = 0;
    /// Shows the window at (x, y) (root device pixels), just above `sibling`.
    virtual void show(int x, int y, NativeWindow sibling) = 0;
    virtual void hide() = 0;
};

/// A window of ours above a panel that the window system fills with one colour: a rectangle
/// that costs a move, not pixels, when it changes. Input passes through it; captures leave it
/// out.
class SolidSurface {
public:
    virtual ~SolidSurface() = default;
    [[nodiscard]] virtual NativeWindow window() const = 0;
    /// Shows the window on `frame` (root device pixels) in `argb` (premultiplied), just above
    /// `sibling`.
    virtual void show(const DeviceRect& frame, std::uint32_t argb, NativeWindow sibling) = 0;
    virtual void hide() = 0;
};

/// The window-system side of the overlay panels: one full-display, always-on-top window per
/// display, shown and hidden by the toolkit. Main thread only.
class OverlaySurfaces : public WindowSurfaces {
public:
    /// Cuts `window` to `shape` (device pixels, window-local): the rest of it is neither drawn
    /// nor hit. Empty: wholly invisible. Used in shape mode, where nothing composites.
    virtual void setShape(NativeWindow window, std::span<const DeviceRect> shape) = 0;

    /// The window that has the keyboard now (0 for none).
    [[nodiscard]] virtual NativeWindow inputFocus() const = 0;
    /// Gives `window` the keyboard directly (our panels get no focus from a window manager).
    /// A window that is gone or not viewable cannot take it; the focus then follows the pointer.
    virtual void setInputFocus(NativeWindow window) = 0;

    /// Sends the toolkit's queued requests (a restacking) now.
    virtual void flush() = 0;
    /// Waits until the window system has carried out the toolkit's requests, so that what a
    /// presenter puts afterwards lands on top of the toolkit's last copy.
    virtual void sync() = 0;

    /// A presenter for `window`, or nothing when this back end or this window (its visual)
    /// cannot take pixels straight from memory; the toolkit paints such a window.
    virtual std::unique_ptr<SurfacePresenter> presenter(NativeWindow window) = 0;

    /// A floating surface, registered as our own window; nothing where this back end cannot
    /// make one that composites.
    virtual std::unique_ptr<FloatingSurface> floatingSurface() = 0;
    /// A solid surface, registered as our own window; nothing where this back end cannot make
    /// one that composites.
    virtual std::unique_ptr<SolidSurface> solidSurface() = 0;

    /// `handler` runs with each top-level window any client maps from now on (the overlay stays
    /// above them); an empty handler stops watching.
    virtual void setOnWindowMapped(std::function<void(NativeWindow)> handler) = 0;
};

} // namespace spanlet
