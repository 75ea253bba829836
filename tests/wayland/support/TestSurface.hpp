#pragma once

#include <cstdint>
#include <optional>

#include <spanlet/Geometry.hpp>

struct wl_output;
struct wl_surface;
struct wl_pointer;
struct wl_buffer;
struct zwlr_layer_surface_v1;

namespace spanlet::wayland {
class WaylandConnection;
}

namespace spanlet::test {

/// A layer-shell surface covering one output, filled with one colour (0xAARRGGBB,
/// premultiplied), that notes where the seat's pointer is over it. On the overlay layer, or on
/// the top layer (below any overlay) when `below` is set.
class TestSurface {
public:
    TestSurface(wayland::WaylandConnection& connection, wl_output* output, std::uint32_t argb,
                bool below = false);
    ~TestSurface();
    TestSurface(const TestSurface&) = delete;
    TestSurface& operator=(const TestSurface&) = delete;

    /// Whether the compositor configured it and it shows its colour.
    [[nodiscard]] bool mapped() const noexcept { return buffer_ != nullptr; }
    /// The pointer in surface-local points while it is over the surface.
    [[nodiscard]] std::optional<Point> pointer() const noexcept { return pointer_; }
    [[nodiscard]] int clicks() const noexcept { return clicks_; }

private:
    struct Listeners;
    wayland::WaylandConnection& connection_;
    wl_surface* surface_ = nullptr;
    zwlr_layer_surface_v1* layer_ = nullptr;
    wl_pointer* wlPointer_ = nullptr;
    wl_buffer* buffer_ = nullptr;
    std::uint32_t argb_ = 0;
    std::optional<Point> pointer_;
    int clicks_ = 0;
};

} // namespace spanlet::test
