// A pointer and a keyboard for tests on wlroots compositors, where the seat has neither until a
// client makes virtual ones. Reads commands from standard input, one a line, and answers each
// with "ok" once the compositor has handled it (or "error" for a line it does not understand):
//   move X Y             the pointer to (X, Y), global logical points, fractions allowed
//   press|release|click  the left button, or the button code given after it (BTN_* codes)
//   key CODE             presses and releases a key (evdev code; see kKeymap)
//   down CODE, up CODE   presses a key, releases it
//   modifiers MASK       holds the modifiers of the mask (Shift 1, Ctrl 4), 0 none
//   pixel X Y            answers the output's pixel at (X, Y) as RRGGBB (through screencopy)
// It keeps its devices until standard input ends, since they go when the client does.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <variant>
#include <virtual-keyboard-unstable-v1-client-protocol.h>
#include <wayland-client.h>
#include <wlr-virtual-pointer-unstable-v1-client-protocol.h>

#include <spanlet/wayland/Outputs.hpp>
#include <spanlet/wayland/WaylandCapture.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>

namespace {

using spanlet::wayland::WaylandConnection;

constexpr std::uint32_t kLeftButton = 0x110; // BTN_LEFT
constexpr double kSubdivision = 100;         // motion_absolute steps per point

// A small keymap the compositor accepts: Escape, the Right arrow, and H where a US layout has V
// (evdev 1, 106 and 47; XKB keycodes 9, 114 and 55), so a client must read it to get letters.
constexpr const char* kKeymap = "xkb_keymap {\n"
                                "xkb_keycodes \"spanlet\" { minimum = 8; maximum = 255; <ESC> = 9; "
                                "<RGHT> = 114; <AB04> = 55; };\n"
                                "xkb_types \"spanlet\" { include \"complete\" };\n"
                                "xkb_compatibility \"spanlet\" { include \"complete\" };\n"
                                "xkb_symbols \"spanlet\" { key <ESC> { [ Escape ] }; key <RGHT> { "
                                "[ Right ] }; key <AB04> { [ h, H ] }; };\n"
                                "};\n";

struct Bound {
    zwlr_virtual_pointer_manager_v1* pointers = nullptr;
    zwp_virtual_keyboard_manager_v1* keyboards = nullptr;

    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t /*version*/) {
        auto* b = static_cast<Bound*>(data);
        const std::string n = interface;
        if (n == zwlr_virtual_pointer_manager_v1_interface.name) {
            b->pointers = static_cast<zwlr_virtual_pointer_manager_v1*>(
                wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
        } else if (n == zwp_virtual_keyboard_manager_v1_interface.name) {
            b->keyboards = static_cast<zwp_virtual_keyboard_manager_v1*>(
                wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
        }
    }
    static void globalRemove(void* /*data*/, wl_registry* /*registry*/, std::uint32_t /*name*/) {}
    static constexpr wl_registry_listener listener{global, globalRemove};
};

struct Devices {
    zwlr_virtual_pointer_v1* pointer = nullptr;
    zwp_virtual_keyboard_v1* keyboard = nullptr;
};

std::uint32_t now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::uint32_t>(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

std::uint32_t steps(double points) {
    return static_cast<std::uint32_t>(std::lround(std::max(points, 0.0) * kSubdivision));
}

bool uploadKeymap(zwp_virtual_keyboard_v1* keyboard) {
    const std::size_t size = std::strlen(kKeymap) + 1;
    const int fd = memfd_create("spanlet-keymap", MFD_CLOEXEC);
    if (fd < 0 || write(fd, kKeymap, size) != static_cast<ssize_t>(size)) {
        return false;
    }
    zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                   static_cast<std::uint32_t>(size));
    close(fd);
    return true;
}

// The pixel at (x, y), global points, as RRGGBB; empty where there is none.
std::string pixel(WaylandConnection& c, double x, double y) {
    const spanlet::ScreenInfo* screen = nullptr;
    for (const spanlet::ScreenInfo& s : c.outputs().screens()) {
        if (s.frame.contains({x, y})) {
            screen = &s;
        }
    }
    if (screen == nullptr) {
        return {};
    }
    spanlet::wayland::WaylandCapture capture(c);
    std::optional<spanlet::CaptureResult<spanlet::ScreenCapture::Filter>> filter;
    capture.filter(screen->id, [&](auto f) { filter = std::move(f); });
    if (!c.dispatchUntil([&] { return filter.has_value(); }) ||
        !std::holds_alternative<spanlet::ScreenCapture::Filter>(*filter)) {
        return {};
    }
    std::optional<spanlet::CaptureResult<spanlet::PixelBuffer>> copied;
    capture.pixels(std::get<spanlet::ScreenCapture::Filter>(*filter),
                   {x - screen->frame.x, y - screen->frame.y, 1, 1}, screen->scale.factor(),
                   [&](auto p) { copied = std::move(p); });
    if (!c.dispatchUntil([&] { return copied.has_value(); }) ||
        !std::holds_alternative<spanlet::PixelBuffer>(*copied)) {
        return {};
    }
    const spanlet::PixelBuffer& p = std::get<spanlet::PixelBuffer>(*copied);
    if (p.width() < 1 || p.height() < 1) {
        return {};
    }
    const spanlet::RGBA rgba = p(0, 0);
    std::string text;
    for (const unsigned v : {rgba.r, rgba.g, rgba.b}) {
        text += "0123456789ABCDEF"[v >> 4];
        text += "0123456789ABCDEF"[v & 15];
    }
    return text;
}

// Runs one command line; whether it was understood.
bool execute(WaylandConnection& c, const Devices& d, const std::string& line) {
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    if (verb == "move") {
        double x = 0;
        double y = 0;
        if (!(in >> x >> y) || c.outputs().screens().empty()) {
            return false;
        }
        // motion_absolute maps onto the bounding box of all outputs.
        spanlet::Rect box = c.outputs().screens().front().frame;
        for (const spanlet::ScreenInfo& s : c.outputs().screens()) {
            const double right = std::max(box.maxX(), s.frame.maxX());
            const double bottom = std::max(box.maxY(), s.frame.maxY());
            box.x = std::min(box.x, s.frame.x);
            box.y = std::min(box.y, s.frame.y);
            box.width = right - box.x;
            box.height = bottom - box.y;
        }
        zwlr_virtual_pointer_v1_motion_absolute(d.pointer, now(), steps(x - box.x),
                                                steps(y - box.y), steps(box.width),
                                                steps(box.height));
        zwlr_virtual_pointer_v1_frame(d.pointer);
    } else if (verb == "press" || verb == "release" || verb == "click") {
        std::uint32_t button = kLeftButton;
        in >> button;
        if (verb != "release") {
            zwlr_virtual_pointer_v1_button(d.pointer, now(), button,
                                           WL_POINTER_BUTTON_STATE_PRESSED);
            zwlr_virtual_pointer_v1_frame(d.pointer);
        }
        if (verb != "press") {
            zwlr_virtual_pointer_v1_button(d.pointer, now(), button,
                                           WL_POINTER_BUTTON_STATE_RELEASED);
            zwlr_virtual_pointer_v1_frame(d.pointer);
        }
    } else if (verb == "key" || verb == "down" || verb == "up") {
        std::uint32_t key = 0;
        if (!(in >> key) || d.keyboard == nullptr) {
            return false;
        }
        if (verb != "up") {
            zwp_virtual_keyboard_v1_key(d.keyboard, now(), key, WL_KEYBOARD_KEY_STATE_PRESSED);
        }
        if (verb != "down") {
            zwp_virtual_keyboard_v1_key(d.keyboard, now(), key, WL_KEYBOARD_KEY_STATE_RELEASED);
        }
    } else if (verb == "modifiers") {
        // The compositor keeps no modifier state for a virtual keyboard's keys: it holds what
        // the client says is held.
        std::uint32_t mask = 0;
        if (!(in >> mask) || d.keyboard == nullptr) {
            return false;
        }
        zwp_virtual_keyboard_v1_modifiers(d.keyboard, mask, 0, 0, 0);
    } else {
        return false;
    }
    return c.roundtrip();
}

} // namespace

int main() {
    std::unique_ptr<WaylandConnection> c = WaylandConnection::connect();
    if (!c) {
        std::cerr << "virtual_input: no Wayland compositor\n";
        return 1;
    }
    Bound bound;
    wl_registry* registry = wl_display_get_registry(c->display());
    wl_registry_add_listener(registry, &Bound::listener, &bound);
    c->roundtrip();
    if (bound.pointers == nullptr) {
        std::cerr << "virtual_input: the compositor has no zwlr_virtual_pointer_manager_v1\n";
        return 1;
    }
    Devices devices;
    devices.pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(bound.pointers, c->globals().seat);
    if (bound.keyboards != nullptr) {
        devices.keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(
            bound.keyboards, c->globals().seat);
        if (!uploadKeymap(devices.keyboard)) {
            return 1;
        }
    }
    c->roundtrip();
    std::cout << "ready" << std::endl;
    std::string line;
    while (std::getline(std::cin, line)) {
        c->dispatch();
        double x = 0;
        double y = 0;
        std::string verb;
        std::istringstream in(line);
        if (in >> verb && verb == "pixel" && in >> x >> y) {
            const std::string p = pixel(*c, x, y);
            std::cout << (p.empty() ? "error" : p) << std::endl;
            continue;
        }
        std::cout << (execute(*c, devices, line) ? "ok" : "error") << std::endl;
    }
    if (devices.keyboard != nullptr) {
        zwp_virtual_keyboard_v1_destroy(devices.keyboard);
    }
    zwlr_virtual_pointer_v1_destroy(devices.pointer);
    zwlr_virtual_pointer_manager_v1_destroy(bound.pointers);
    wl_registry_destroy(registry);
    return 0;
}
