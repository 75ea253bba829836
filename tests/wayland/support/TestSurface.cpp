#include "TestSurface.hpp"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <wlr-layer-shell-unstable-v1-client-protocol.h>

#include <spanlet/wayland/WaylandConnection.hpp>

namespace spanlet::test {

struct TestSurface::Listeners {
    static void configure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                          std::uint32_t width, std::uint32_t height) {
        auto* s = static_cast<TestSurface*>(data);
        zwlr_layer_surface_v1_ack_configure(layer, serial);
        if (s->buffer_ != nullptr) {
            return;
        }
        const auto stride = static_cast<std::int32_t>(width * 4);
        const std::size_t size = static_cast<std::size_t>(stride) * height;
        const int fd = memfd_create("spanlet-test-surface", MFD_CLOEXEC);
        if (fd < 0 || ftruncate(fd, static_cast<off_t>(size)) != 0) {
            return;
        }
        void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (memory != MAP_FAILED) {
            auto* pixels = static_cast<std::uint32_t*>(memory);
            std::fill(pixels, pixels + size / 4, s->argb_);
            munmap(memory, size);
        }
        wl_shm_pool* pool =
            wl_shm_create_pool(s->connection_.globals().shm, fd, static_cast<std::int32_t>(size));
        s->buffer_ = wl_shm_pool_create_buffer(pool, 0, static_cast<std::int32_t>(width),
                                               static_cast<std::int32_t>(height), stride,
                                               WL_SHM_FORMAT_ARGB8888);
        wl_shm_pool_destroy(pool);
        close(fd);
        wl_surface_attach(s->surface_, s->buffer_, 0, 0);
        wl_surface_damage(s->surface_, 0, 0, INT32_MAX, INT32_MAX);
        wl_surface_commit(s->surface_);
    }
    static void closed(void* /*data*/, zwlr_layer_surface_v1* /*layer*/) {}

    // The seat's pointer reports on every surface of this client; only ours counts.
    static void enter(void* data, wl_pointer* /*pointer*/, std::uint32_t /*serial*/,
                      wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
        auto* s = static_cast<TestSurface*>(data);
        if (surface == s->surface_) {
            s->pointer_ = Point{wl_fixed_to_double(x), wl_fixed_to_double(y)};
        }
    }
    static void leave(void* data, wl_pointer* /*pointer*/, std::uint32_t /*serial*/,
                      wl_surface* surface) {
        auto* s = static_cast<TestSurface*>(data);
        if (surface == s->surface_) {
            s->pointer_.reset();
        }
    }
    static void motion(void* data, wl_pointer* /*pointer*/, std::uint32_t /*time*/, wl_fixed_t x,
                       wl_fixed_t y) {
        auto* s = static_cast<TestSurface*>(data);
        if (s->pointer_) {
            s->pointer_ = Point{wl_fixed_to_double(x), wl_fixed_to_double(y)};
        }
    }
    static void button(void* data, wl_pointer* /*pointer*/, std::uint32_t /*serial*/,
                       std::uint32_t /*time*/, std::uint32_t /*button*/, std::uint32_t state) {
        auto* s = static_cast<TestSurface*>(data);
        if (state == WL_POINTER_BUTTON_STATE_PRESSED && s->pointer_) {
            ++s->clicks_;
        }
    }
    static void axis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}
    static void frame(void*, wl_pointer*) {}
    static void axisSource(void*, wl_pointer*, std::uint32_t) {}
    static void axisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
    static void axisDiscrete(void*, wl_pointer*, std::uint32_t, std::int32_t) {}
    static void axisValue120(void*, wl_pointer*, std::uint32_t, std::int32_t) {}

    static constexpr zwlr_layer_surface_v1_listener layer{configure, closed};
    static constexpr wl_pointer_listener pointer{enter,        leave,       motion,     button,
                                                 axis,         frame,       axisSource, axisStop,
                                                 axisDiscrete, axisValue120};
};

TestSurface::TestSurface(wayland::WaylandConnection& connection, wl_output* output,
                         std::uint32_t argb, bool below)
    : connection_(connection), argb_(argb) {
    const wayland::Globals& g = connection.globals();
    surface_ = wl_compositor_create_surface(g.compositor);
    layer_ = zwlr_layer_shell_v1_get_layer_surface(
        g.layerShell, surface_, output,
        below ? ZWLR_LAYER_SHELL_V1_LAYER_TOP : ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "test");
    zwlr_layer_surface_v1_set_anchor(
        layer_, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1);
    zwlr_layer_surface_v1_add_listener(layer_, &Listeners::layer, this);
    wl_surface_commit(surface_);
    wlPointer_ = wl_seat_get_pointer(g.seat);
    wl_pointer_add_listener(wlPointer_, &Listeners::pointer, this);
    connection.dispatchUntil([this] { return mapped(); });
    connection.roundtrip();
}

TestSurface::~TestSurface() {
    wl_pointer_release(wlPointer_);
    zwlr_layer_surface_v1_destroy(layer_);
    wl_surface_destroy(surface_);
    if (buffer_ != nullptr) {
        wl_buffer_destroy(buffer_);
    }
    connection_.roundtrip();
}

} // namespace spanlet::test
