// A pointer, a keyboard and a wallpaper for tests on KWin, through its fake-input protocol
// (offered to any client when KWin runs with KWIN_WAYLAND_NO_PERMISSION_CHECKS=1). Reads
// commands from standard input, one a line, and answers each with "ok" once the compositor has
// handled it (or "error" for a line it does not understand):
//   move X Y             the pointer to (X, Y), global logical points, fractions allowed
//   press|release|click  the left button, or the button code given after it (BTN_* codes)
//   key CODE             presses and releases a key (evdev code)
//   keys CODE...         presses the keys in turn and releases them the other way round, as
//                        a hand does Ctrl+Shift+H (29 42 35)
//   output N on|off      switches the Nth output (0 first, in KWin's order) on or off; "ok"
//                        once KWin has applied it
// With "wallpaper" as its argument it first fills the first output's background with light
// grey and a blue box of 120 × 80 device pixels at (1140, 160); with "scene", with a pattern
// that differs at every device pixel (the conformance suite's scene). "ready" once shown.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fake-input-client-protocol.h>
#include <iostream>
#include <kde-output-device-v2-client-protocol.h>
#include <kde-output-management-v2-client-protocol.h>
#include <optional>
#include <sstream>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>
#include <viewporter-client-protocol.h>
#include <wayland-client.h>
#include <wlr-layer-shell-unstable-v1-client-protocol.h>

#include <spanlet/wayland/Outputs.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>

namespace {

using spanlet::wayland::WaylandConnection;

constexpr std::uint32_t kLeftButton = 0x110; // BTN_LEFT

struct Bound {
    org_kde_kwin_fake_input* input = nullptr;
    kde_output_management_v2* management = nullptr;
    std::vector<kde_output_device_v2*> outputs; ///< in the order KWin announces them

    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version) {
        auto* b = static_cast<Bound*>(data);
        const std::string named(interface);
        if (named == org_kde_kwin_fake_input_interface.name && version >= 4) {
            b->input = static_cast<org_kde_kwin_fake_input*>(
                wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
        } else if (named == kde_output_management_v2_interface.name) {
            b->management = static_cast<kde_output_management_v2*>(
                wl_registry_bind(registry, name, &kde_output_management_v2_interface, 1));
        } else if (named == kde_output_device_v2_interface.name) {
            // Only named in configurations: its events go unheard.
            b->outputs.push_back(static_cast<kde_output_device_v2*>(
                wl_registry_bind(registry, name, &kde_output_device_v2_interface, 1)));
        }
    }
    static void globalRemove(void* /*data*/, wl_registry* /*registry*/, std::uint32_t /*name*/) {}
    static constexpr wl_registry_listener listener{global, globalRemove};
};

/// The box of the scenarios on grey, at (x, y) device pixels.
std::uint32_t wallpaperPixel(std::int32_t x, std::int32_t y) {
    const bool box = x >= 1140 && x < 1260 && y >= 160 && y < 240;
    return box ? 0xFF3060C0 : 0xFFE8E8E8;
}

/// Every device pixel differs from its neighbours; blue is at least 128.
std::uint32_t scenePixel(std::int32_t x, std::int32_t y) {
    const auto ux = static_cast<std::uint32_t>(x);
    const auto uy = static_cast<std::uint32_t>(y);
    return 0xFF000000 | (ux & 255) << 16 | (uy & 255) << 8 | 128 | (ux >> 8) << 4 | (uy >> 8);
}

/// The background, one buffer pixel per device pixel: at a whole scale through the buffer's
/// scale, at a fractional one through a viewport.
struct Wallpaper {
    WaylandConnection& connection;
    std::uint32_t (*pixel)(std::int32_t x, std::int32_t y) = wallpaperPixel;
    double scale = 1;
    wl_surface* surface = nullptr;
    wp_viewport* viewport = nullptr;
    bool shown = false;

    static void configure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                          std::uint32_t width, std::uint32_t height) {
        auto* w = static_cast<Wallpaper*>(data);
        zwlr_layer_surface_v1_ack_configure(layer, serial);
        if (w->shown) {
            return;
        }
        const auto pw = static_cast<std::int32_t>(std::lround(width * w->scale));
        const auto ph = static_cast<std::int32_t>(std::lround(height * w->scale));
        const std::size_t size = static_cast<std::size_t>(pw) * static_cast<std::size_t>(ph) * 4;
        const int fd = memfd_create("kwin-wallpaper", MFD_CLOEXEC);
        if (fd < 0 || ftruncate(fd, static_cast<off_t>(size)) != 0) {
            return;
        }
        void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (memory == MAP_FAILED) {
            return;
        }
        auto* pixels = static_cast<std::uint32_t*>(memory);
        for (std::int32_t y = 0; y < ph; ++y) {
            for (std::int32_t x = 0; x < pw; ++x) {
                pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(pw) +
                       static_cast<std::size_t>(x)] = w->pixel(x, y);
            }
        }
        munmap(memory, size);
        wl_shm_pool* pool =
            wl_shm_create_pool(w->connection.globals().shm, fd, static_cast<std::int32_t>(size));
        wl_buffer* buffer =
            wl_shm_pool_create_buffer(pool, 0, pw, ph, pw * 4, WL_SHM_FORMAT_XRGB8888);
        wl_shm_pool_destroy(pool);
        close(fd);
        if (w->viewport != nullptr) {
            wp_viewport_set_destination(w->viewport, static_cast<std::int32_t>(width),
                                        static_cast<std::int32_t>(height));
        } else {
            wl_surface_set_buffer_scale(w->surface, static_cast<std::int32_t>(w->scale));
        }
        wl_surface_attach(w->surface, buffer, 0, 0);
        wl_surface_damage(w->surface, 0, 0, INT32_MAX, INT32_MAX);
        wl_surface_commit(w->surface);
        w->shown = true;
    }
    static void closed(void* /*data*/, zwlr_layer_surface_v1* /*layer*/) {}
    static constexpr zwlr_layer_surface_v1_listener listener{configure, closed};

    bool show() {
        const Globals& g = connection.globals();
        const auto& screens = connection.outputs().screens();
        if (g.layerShell == nullptr || screens.empty()) {
            return false;
        }
        scale = screens.front().scale.factor();
        surface = wl_compositor_create_surface(g.compositor);
        if (scale != std::floor(scale)) {
            if (g.viewporter == nullptr) {
                return false;
            }
            viewport = wp_viewporter_get_viewport(g.viewporter, surface);
        }
        zwlr_layer_surface_v1* layer = zwlr_layer_shell_v1_get_layer_surface(
            g.layerShell, surface, connection.outputs().output(screens.front().id),
            ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND, "wallpaper");
        zwlr_layer_surface_v1_add_listener(layer, &listener, this);
        zwlr_layer_surface_v1_set_anchor(
            layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                       ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
        zwlr_layer_surface_v1_set_exclusive_zone(layer, -1);
        wl_surface_commit(surface);
        return connection.dispatchUntil([this] { return shown; }) && connection.roundtrip();
    }

    using Globals = spanlet::wayland::Globals;
};

/// What KWin answered to a configuration.
struct Applied {
    std::optional<bool> applied;
    static void done(void* data, kde_output_configuration_v2* /*config*/) {
        static_cast<Applied*>(data)->applied = true;
    }
    static void failed(void* data, kde_output_configuration_v2* /*config*/) {
        static_cast<Applied*>(data)->applied = false;
    }
    static constexpr kde_output_configuration_v2_listener listener{done, failed};
};

/// Switches an output on or off; whether KWin applied it.
bool switchOutput(WaylandConnection& c, const Bound& bound, std::size_t index, bool on) {
    if (bound.management == nullptr || index >= bound.outputs.size()) {
        return false;
    }
    Applied answer;
    kde_output_configuration_v2* config =
        kde_output_management_v2_create_configuration(bound.management);
    kde_output_configuration_v2_add_listener(config, &Applied::listener, &answer);
    kde_output_configuration_v2_enable(config, bound.outputs[index], on ? 1 : 0);
    kde_output_configuration_v2_apply(config);
    const bool done = c.dispatchUntil([&] { return answer.applied.has_value(); });
    kde_output_configuration_v2_destroy(config);
    return done && *answer.applied;
}

// Runs one command line; whether it was understood.
bool execute(WaylandConnection& c, const Bound& bound, const std::string& line) {
    org_kde_kwin_fake_input* input = bound.input;
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    if (verb == "move") {
        double x = 0;
        double y = 0;
        if (!(in >> x >> y)) {
            return false;
        }
        org_kde_kwin_fake_input_pointer_motion_absolute(input, wl_fixed_from_double(x),
                                                        wl_fixed_from_double(y));
    } else if (verb == "press" || verb == "release" || verb == "click") {
        std::uint32_t button = kLeftButton;
        in >> button;
        if (verb != "release") {
            org_kde_kwin_fake_input_button(input, button, WL_POINTER_BUTTON_STATE_PRESSED);
        }
        if (verb != "press") {
            org_kde_kwin_fake_input_button(input, button, WL_POINTER_BUTTON_STATE_RELEASED);
        }
    } else if (verb == "key" || verb == "keys") {
        std::vector<std::uint32_t> keys;
        for (std::uint32_t key = 0; in >> key;) {
            keys.push_back(key);
        }
        if (keys.empty() || (verb == "key" && keys.size() != 1)) {
            return false;
        }
        for (const std::uint32_t key : keys) {
            org_kde_kwin_fake_input_keyboard_key(input, key, WL_KEYBOARD_KEY_STATE_PRESSED);
        }
        for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
            org_kde_kwin_fake_input_keyboard_key(input, *key, WL_KEYBOARD_KEY_STATE_RELEASED);
        }
    } else if (verb == "output") {
        std::size_t index = 0;
        std::string state;
        if (!(in >> index >> state) || (state != "on" && state != "off")) {
            return false;
        }
        return switchOutput(c, bound, index, state == "on");
    } else {
        return false;
    }
    return c.roundtrip();
}

} // namespace

int main(int argc, char** argv) {
    std::unique_ptr<WaylandConnection> c = WaylandConnection::connect();
    if (!c) {
        std::cerr << "fake_input: no Wayland compositor\n";
        return 1;
    }
    Bound bound;
    wl_registry* registry = wl_display_get_registry(c->display());
    wl_registry_add_listener(registry, &Bound::listener, &bound);
    c->roundtrip();
    if (bound.input == nullptr) {
        std::cerr << "fake_input: the compositor offers no org_kde_kwin_fake_input\n";
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(bound.input, "Spanlet tests", "drives the pointer");
    const std::string shown = argc > 1 ? argv[1] : "";
    Wallpaper wallpaper{*c, shown == "scene" ? scenePixel : wallpaperPixel};
    if (!shown.empty() && !wallpaper.show()) {
        std::cerr << "fake_input: the wallpaper did not show\n";
        return 1;
    }
    c->roundtrip();
    std::cout << "ready" << std::endl;
    std::string line;
    while (std::getline(std::cin, line)) {
        c->dispatch();
        std::cout << (execute(*c, bound, line) ? "ok" : "error") << std::endl;
    }
    org_kde_kwin_fake_input_destroy(bound.input);
    wl_registry_destroy(registry);
    return 0;
}
