#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <spanlet/Geometry.hpp>
#include <spanlet/platform/OverlayHost.hpp>

struct wl_surface;
struct xdg_surface;
struct xdg_popup;
struct zwlr_layer_surface_v1;

namespace spanlet::draw {
class QPainterBackend;
}

namespace spanlet::wayland {

class MenuLayout;
class ShmBuffers;
class WaylandConnection;

/// A menu on an overlay: an xdg_popup of the overlay's layer surface, placed at a point of it
/// (moved or flipped by the compositor to stay on the output), drawn by our renderer into
/// wl_shm buffers. It holds the seat's grab: a click outside our surfaces dismisses it (the
/// compositor says so); the host hands on the input over it and dismisses it on a click
/// elsewhere on ours. `finished` runs once, with the entry chosen or with nothing.
class OverlayMenu {
public:
    struct Placement {
        zwlr_layer_surface_v1* parent = nullptr;
        Point at;                 ///< parent-local points
        int scale = 1;            ///< buffer pixels per point
        std::uint32_t serial = 0; ///< of the press that opens the menu, for the grab
    };

    /// `connection` must outlive the menu; it needs xdg_wm_base and a seat.
    OverlayMenu(WaylandConnection& connection, const Placement& placement,
                std::vector<std::string> titles,
                std::function<void(std::optional<std::size_t>)> finished);
    ~OverlayMenu();
    OverlayMenu(const OverlayMenu&) = delete;
    OverlayMenu& operator=(const OverlayMenu&) = delete;

    [[nodiscard]] wl_surface* surface() const noexcept { return surface_; }
    /// The menu's top-left corner in its parent's points, once the compositor placed it.
    [[nodiscard]] std::optional<Point> origin() const noexcept { return origin_; }

    /// The pointer over the menu at `at` (menu-local points), or gone (nothing).
    void hover(std::optional<Point> at);
    /// A button went down or up over the menu: an entry pressed and released on is chosen.
    void pressed(Point at);
    void released(Point at);
    /// Pointer input on our surfaces while the menu is open (`code` 0 for a motion, else a
    /// button going down or up): over the menu, at `local` (menu-local points), it hovers,
    /// presses or releases; elsewhere (nothing) a press dismisses the menu and does nothing else.
    void route(std::optional<Point> local, std::uint32_t code, bool down);
    /// Up and Down move the highlight, Return or Enter choose, Escape dismisses.
    void key(OverlayKey key);
    /// Closes the menu without a choice.
    void dismiss();

    struct Listeners;

private:
    void finish(std::optional<std::size_t> chosen);
    void redraw();

    WaylandConnection& connection_;
    std::unique_ptr<MenuLayout> layout_;
    std::unique_ptr<draw::QPainterBackend> renderer_;
    std::unique_ptr<ShmBuffers> buffers_;
    std::function<void(std::optional<std::size_t>)> finished_;
    wl_surface* surface_ = nullptr;
    xdg_surface* xdgSurface_ = nullptr;
    xdg_popup* popup_ = nullptr;
    int scale_ = 1;
    bool configured_ = false;
    std::optional<Point> origin_;
    std::optional<std::size_t> hovered_;
    std::optional<std::size_t> armed_; ///< the entry a button went down on
};

} // namespace spanlet::wayland
