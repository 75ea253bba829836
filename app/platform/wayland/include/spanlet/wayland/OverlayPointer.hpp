#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <spanlet/Geometry.hpp>
#include <spanlet/platform/OverlayHost.hpp>

struct wl_pointer;
struct wl_surface;

namespace spanlet::wayland {

class WaylandConnection;
class ThemeCursor;

/// The seat's pointer over our overlay surfaces. A Wayland client cannot read the pointer
/// anywhere else, so while snapping or editing guides the overlay takes input and this is
/// where the pointer position comes from. Positions are global top-left points: the surface's
/// origin (its output's frame) plus the surface-local position the compositor reports.
class OverlayPointer {
public:
    /// The button a BTN_* code stands for.
    [[nodiscard]] static OverlayButton button(std::uint32_t code);
    /// Names of the cursor theme's images for a cursor, the standard name first.
    [[nodiscard]] static std::vector<std::string> cursorNames(OverlayCursor cursor);

    struct Handlers {
        std::function<void(Point)> moved;                   ///< entered or moved
        std::function<void(Point, std::uint32_t)> pressed;  ///< a button (BTN_* code) went down
        std::function<void(Point, std::uint32_t)> released; ///< a button went up
        std::function<void()> left;                         ///< no longer over one of ours
    };

    /// `origin` gives a surface's top-left corner in global points (asked at each motion), or
    /// nothing for a surface that is not ours. `connection` must outlive this object.
    OverlayPointer(WaylandConnection& connection,
                   std::function<std::optional<Point>(wl_surface*)> origin, Handlers handlers);
    ~OverlayPointer();
    OverlayPointer(const OverlayPointer&) = delete;
    OverlayPointer& operator=(const OverlayPointer&) = delete;

    /// Where the pointer is, while it is over one of our surfaces.
    [[nodiscard]] std::optional<Point> position() const noexcept { return position_; }
    /// The surface of ours the pointer is over, or null.
    [[nodiscard]] wl_surface* focus() const noexcept { return focus_; }
    /// The serial of the last button press over our surfaces: what a popup's grab needs.
    [[nodiscard]] std::uint32_t pressSerial() const noexcept { return pressSerial_; }

    /// The cursor over our surfaces: the first of `names` the user's cursor theme has, drawn at
    /// `scale`; none when `names` is empty (the default). A compositor without a cursor plane
    /// draws cursors into the output, so every screen copy of the pixels under the pointer would
    /// hold this one: while snapping it shows only once CursorCheck has found that copies leave
    /// it out.
    void setCursor(std::vector<std::string> names, int scale = 1);

    struct Listeners;

private:
    void seatChanged();
    void showCursor();

    WaylandConnection& connection_;
    std::function<std::optional<Point>(wl_surface*)> origin_;
    Handlers handlers_;
    int seatHandler_ = 0;
    wl_pointer* pointer_ = nullptr;
    wl_surface* entered_ = nullptr; ///< compared only: it may be gone
    std::optional<Point> surfaceOrigin_;
    wl_surface* focus_ = nullptr;
    std::uint32_t pressSerial_ = 0;
    std::optional<Point> position_;
    std::unique_ptr<ThemeCursor> cursor_;
    std::vector<std::string> cursorNames_;
    int cursorScale_ = 1;
    std::uint32_t enterSerial_ = 0;
};

} // namespace spanlet::wayland
