#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include <spanlet/Geometry.hpp>

struct wl_pointer;
struct wl_surface;

namespace spanlet::wayland {

class WaylandConnection;

/// The seat's pointer over our overlay surfaces. A Wayland client cannot read the pointer
/// anywhere else, so while snapping or editing guides the overlay takes input and this is
/// where the pointer position comes from. Positions are global top-left points: the surface's
/// origin (its output's frame) plus the surface-local position the compositor reports.
class OverlayPointer {
public:
    struct Handlers {
        std::function<void(Point)> moved;                   ///< entered or moved
        std::function<void(Point, std::uint32_t)> pressed;  ///< a button (BTN_* code) went down
        std::function<void(Point, std::uint32_t)> released; ///< a button went up
        std::function<void()> left;                         ///< no longer over one of ours
    };

    /// `origin` gives a surface's top-left corner in global points, or nothing for a surface
    /// that is not an overlay's. `connection` must outlive this object.
    OverlayPointer(WaylandConnection& connection,
                   std::function<std::optional<Point>(wl_surface*)> origin, Handlers handlers);
    ~OverlayPointer();
    OverlayPointer(const OverlayPointer&) = delete;
    OverlayPointer& operator=(const OverlayPointer&) = delete;

    /// Where the pointer is, while it is over one of our surfaces.
    [[nodiscard]] std::optional<Point> position() const noexcept { return position_; }

    struct Listeners;

private:
    void seatChanged();

    WaylandConnection& connection_;
    std::function<std::optional<Point>(wl_surface*)> origin_;
    Handlers handlers_;
    int seatHandler_ = 0;
    wl_pointer* pointer_ = nullptr;
    std::optional<Point> surfaceOrigin_;
    std::optional<Point> position_;
};

} // namespace spanlet::wayland
