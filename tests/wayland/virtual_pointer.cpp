// A pointer for tests on wlroots compositors, where the seat has none until a client makes a
// virtual one. Reads commands from standard input, one a line, and answers each with "ok" once
// the compositor has handled it (or "error" for a line it does not understand):
//   move X Y             to (X, Y), global logical points, fractions allowed
//   press|release|click  the left button, or the button code given after it (BTN_* codes)
// It keeps the pointer until standard input ends, since the device goes when the client does.
#include <cmath>
#include <cstdint>
#include <iostream>
#include <sstream>
#include <string>
#include <wayland-client.h>
#include <wlr-virtual-pointer-unstable-v1-client-protocol.h>

#include <spanlet/wayland/Outputs.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>

namespace {

using spanlet::wayland::WaylandConnection;

constexpr std::uint32_t kLeftButton = 0x110; // BTN_LEFT
constexpr double kSubdivision = 100;         // motion_absolute steps per point

struct Bound {
    zwlr_virtual_pointer_manager_v1* manager = nullptr;

    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t /*version*/) {
        if (std::string(interface) == zwlr_virtual_pointer_manager_v1_interface.name) {
            static_cast<Bound*>(data)->manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
                wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
        }
    }
    static void globalRemove(void* /*data*/, wl_registry* /*registry*/, std::uint32_t /*name*/) {}
    static constexpr wl_registry_listener listener{global, globalRemove};
};

std::uint32_t now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::uint32_t>(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

std::uint32_t steps(double points) {
    return static_cast<std::uint32_t>(std::lround(std::max(points, 0.0) * kSubdivision));
}

// Runs one command line; whether it was understood.
bool execute(WaylandConnection& c, zwlr_virtual_pointer_v1* pointer, const std::string& line) {
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    if (verb == "move") {
        double x = 0;
        double y = 0;
        if (!(in >> x >> y)) {
            return false;
        }
        // motion_absolute maps onto the bounding box of all outputs.
        double left = 0;
        double top = 0;
        double right = 0;
        double bottom = 0;
        bool first = true;
        for (const spanlet::ScreenInfo& s : c.outputs().screens()) {
            left = first ? s.frame.minX() : std::min(left, s.frame.minX());
            top = first ? s.frame.minY() : std::min(top, s.frame.minY());
            right = first ? s.frame.maxX() : std::max(right, s.frame.maxX());
            bottom = first ? s.frame.maxY() : std::max(bottom, s.frame.maxY());
            first = false;
        }
        if (first) {
            return false;
        }
        zwlr_virtual_pointer_v1_motion_absolute(pointer, now(), steps(x - left), steps(y - top),
                                                steps(right - left), steps(bottom - top));
    } else if (verb == "press" || verb == "release" || verb == "click") {
        std::uint32_t button = kLeftButton;
        in >> button;
        if (verb != "release") {
            zwlr_virtual_pointer_v1_button(pointer, now(), button, WL_POINTER_BUTTON_STATE_PRESSED);
            zwlr_virtual_pointer_v1_frame(pointer);
        }
        if (verb != "press") {
            zwlr_virtual_pointer_v1_button(pointer, now(), button,
                                           WL_POINTER_BUTTON_STATE_RELEASED);
        }
    } else {
        return false;
    }
    zwlr_virtual_pointer_v1_frame(pointer);
    return c.roundtrip();
}

} // namespace

int main() {
    std::unique_ptr<WaylandConnection> c = WaylandConnection::connect();
    if (!c) {
        std::cerr << "virtual_pointer: no Wayland compositor\n";
        return 1;
    }
    Bound bound;
    wl_registry* registry = wl_display_get_registry(c->display());
    wl_registry_add_listener(registry, &Bound::listener, &bound);
    c->roundtrip();
    if (bound.manager == nullptr) {
        std::cerr << "virtual_pointer: the compositor has no zwlr_virtual_pointer_manager_v1\n";
        return 1;
    }
    zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(bound.manager, c->globals().seat);
    c->roundtrip();
    std::cout << "ready" << std::endl;
    std::string line;
    while (std::getline(std::cin, line)) {
        c->dispatch();
        std::cout << (execute(*c, pointer, line) ? "ok" : "error") << std::endl;
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    zwlr_virtual_pointer_manager_v1_destroy(bound.manager);
    wl_registry_destroy(registry);
    return 0;
}
