#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <spanlet/Commands.hpp>
#include <spanlet/Geometry.hpp>
#include <spanlet/platform/Surfaces.hpp>
#include <spanlet/screen/ScreenInfo.hpp>

namespace spanlet {

/// What the overlay is doing, which decides the input its surfaces take.
enum class OverlayInputMode : std::uint8_t {
    /// Drawing only: every click passes through to the windows below.
    idle,
    /// The live measurement follows the pointer. Where the back end sees the pointer only over
    /// its own surfaces, they take it (and a click or a key with it).
    snapping,
    /// The guide editor takes the pointer and the keyboard.
    editing,
    /// The colour sampler takes the pointer and the keyboard at once: the loupe follows the
    /// pointer, a click picks, Escape cancels. Only where the overlay takes the pointer while
    /// snapping (the sampler cannot follow it anywhere else).
    picking,
};

/// A key as the overlay's input reports it, whatever delivered it.
enum class OverlayKey : std::uint8_t {
    returnKey,
    enter, ///< keypad Enter
    escape,
    tab,
    backtab, ///< Shift+Tab as some toolkits report it
    deleteKey,
    forwardDelete,
    left,
    right,
    up,
    down,
    other,
};

struct OverlayKeyPress {
    OverlayKey key = OverlayKey::other;
    bool shift = false;
    /// Whether Alt is held.
    bool alt = false;
    /// Whether Ctrl is held.
    bool control = false;
    /// Whether Super (the logo key) is held.
    bool super = false;
    /// The characters the key types without modifiers (UTF-8); letters are matched on it
    /// lower-cased.
    std::string text;

    /// The modifiers held, as shortcuts name them.
    [[nodiscard]] Shortcut::Modifiers modifiers() const noexcept {
        Shortcut::Modifiers held;
        const auto add = [&held](bool on, Shortcut::Modifiers member) {
            if (on) {
                held.insert(member);
            }
        };
        add(control, Shortcut::Modifiers::control);
        add(alt, Shortcut::Modifiers::option);
        add(shift, Shortcut::Modifiers::shift);
        add(super, Shortcut::Modifiers::command);
        return held;
    }
};

enum class OverlayCursor : std::uint8_t { arrow, crosshair, resizeLeftRight, resizeUpDown };

enum class OverlayButton : std::uint8_t { left, right, other };

/// Input on the overlay's surfaces, delivered by the host on the main thread. Positions are
/// global top-left points; `displayId` names the display whose surface took the input.
class OverlayInput {
public:
    virtual ~OverlayInput() = default;
    virtual void pointerMoved(std::uint32_t displayId, Point at) = 0;
    virtual void buttonPressed(std::uint32_t displayId, Point at, OverlayButton button) = 0;
    virtual void buttonReleased(std::uint32_t displayId, Point at, OverlayButton button) = 0;
    virtual void keyPressed(std::uint32_t displayId, const OverlayKeyPress& key) = 0;
};

/// Memory one display's overlay is painted in: `width` × `height` 32-bit words in the host's
/// byte order, `stride` bytes from one row to the next, `scale` of them per point.
/// Premultiplied ARGB, or RGB with the top byte unused where `opaque`.
struct OverlayCanvas {
    std::uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;
    double scale = 1;
    bool opaque = false;
};

/// Paints `rects` (display-local points) of display `displayId`'s overlay into `canvas`: each
/// cleared to transparent, then drawn.
using OverlayPaint = std::function<void(std::uint32_t displayId, const OverlayCanvas& canvas,
                                        std::span<const Rect> rects)>;

/// What changed in one display's overlay picture since the last update.
struct OverlayUpdate {
    /// To repaint, display-local points on whole device pixels.
    std::span<const Rect> damage;
    /// Everything the picture covers now (same units): what a canvas made anew needs.
    std::span<const Rect> drawn;
    /// Exactly the device pixels the picture covers (surface-local), where the host asks for
    /// them (OverlayHost::cutsToDrawing); empty otherwise.
    std::span<const DeviceRect> shape;
};

/// The back end's side of the overlay: one full-display surface per display above every
/// window, left out of captures, showing pixels that the overlay's controller paints (through
/// OverlayPaint, when the host asks) and taking input as the mode says. Main thread only.
class OverlayHost {
public:
    virtual ~OverlayHost() = default;

    /// Who paints the surfaces and who hears their input (may be null). Both must outlive the
    /// surfaces, or be unbound (empty, null) first.
    virtual void bind(OverlayPaint paint, OverlayInput* input) = 0;

    /// Makes one surface per display of `screens` afresh (those before go), hidden.
    virtual void rebuild(const std::vector<ScreenInfo>& screens) = 0;
    /// Canvas pixels per point of the display's surface, to which damage is rounded out.
    [[nodiscard]] virtual double scale(std::uint32_t displayId) const = 0;
    /// Whether the display's surface is cut to what it draws (nothing composites its
    /// translucency): its updates then carry their shape.
    [[nodiscard]] virtual bool cutsToDrawing(std::uint32_t displayId) const = 0;
    /// Repaints the update's damage (at once, or once the surface can take pixels) and puts it
    /// on screen.
    virtual void update(std::uint32_t displayId, const OverlayUpdate& changes) = 0;

    /// Shows every surface above all windows, or hides them all.
    virtual void setShown(bool shown) = 0;
    virtual void setMode(OverlayInputMode mode) = 0;
    /// The cursor over the surfaces while they take the pointer. A crosshair may show as none
    /// where the back end cannot keep it out of captures.
    virtual void setCursor(OverlayCursor cursor) = 0;
    /// A menu at `at` (global points); `chosen` runs with the index of the entry picked. An
    /// empty title is a separator. Where the back end cannot show one, nothing happens.
    virtual void showMenu(Point at, std::vector<std::string> titles,
                          std::function<void(std::size_t)> chosen) = 0;

    /// Whether the overlay takes the pointer while snapping (OverlayInputMode::snapping): a click
    /// then keeps the measurement and Escape ends snapping.
    [[nodiscard]] virtual bool takesPointerWhileSnapping() const = 0;

    /// Whether the display's surface has a floating part above it that the window system
    /// moves: a small picture (the loupe) that then costs a move, not a repaint of both places,
    /// when only its place changes.
    [[nodiscard]] virtual bool floats(std::uint32_t /*displayId*/) const { return false; }
    /// Who paints the floating parts: the given rectangles of a display's floating part, all of
    /// its canvas when none are given; its point (0, 0) is its frame's top-left. Unbound with an
    /// empty function.
    virtual void bindFloating(const OverlayPaint& /*paint*/) {}
    /// Shows the display's floating part on `frame` (device pixels, display-local), with
    /// `damage` (points of its canvas) repainted first, or all of it where the host made its
    /// memory anew; hides it without a frame. Shown only while the surfaces are.
    virtual void placeFloating(std::uint32_t /*displayId*/, std::optional<DeviceRect> /*frame*/,
                               std::span<const Rect> /*damage*/) {}

    /// Whether the display's surface can have a solid rectangle above it that the window system
    /// fills and moves by itself: a long thin line then costs a move, not a repaint of every
    /// row it leaves and enters.
    [[nodiscard]] virtual bool solids(std::uint32_t /*displayId*/) const { return false; }
    /// Shows the display's solid rectangle on `frame` (device pixels, display-local) in `argb`
    /// (opaque, 0xAARRGGBB), above the surface and below its floating part; hides it without a
    /// frame. Shown only while the surfaces are.
    virtual void placeSolid(std::uint32_t /*displayId*/, std::optional<DeviceRect> /*frame*/,
                            std::uint32_t /*argb*/) {}
};

} // namespace spanlet
