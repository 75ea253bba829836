#include <algorithm>
#include <unistd.h>
#include <wayland-client.h>

#include <spanlet/wayland/OverlayKeyboard.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>

namespace spanlet::wayland {

namespace {
constexpr std::uint32_t leftShift = 42;  // KEY_LEFTSHIFT
constexpr std::uint32_t rightShift = 54; // KEY_RIGHTSHIFT
} // namespace

struct OverlayKeyboard::Listeners {
    static void keymap(void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) {
        close(fd); // evdev codes are enough for the keys the overlay handles
    }
    static void enter(void* data, wl_keyboard*, std::uint32_t, wl_surface* surface, wl_array*) {
        auto* k = static_cast<OverlayKeyboard*>(data);
        k->focused_ = surface != nullptr && k->ours_(surface);
    }
    static void leave(void* data, wl_keyboard*, std::uint32_t, wl_surface*) {
        auto* k = static_cast<OverlayKeyboard*>(data);
        k->focused_ = false;
        k->shiftsDown_ = 0;
    }
    static void key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t code,
                    std::uint32_t state) {
        auto* k = static_cast<OverlayKeyboard*>(data);
        const bool down = state == WL_KEYBOARD_KEY_STATE_PRESSED;
        if (code == leftShift || code == rightShift) {
            k->shiftsDown_ = std::max(0, k->shiftsDown_ + (down ? 1 : -1));
            return;
        }
        if (k->focused_ && down && k->pressed_) {
            k->pressed_(code, k->shiftsDown_ > 0);
        }
    }
    static void modifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
                          std::uint32_t, std::uint32_t) {}
    static void repeatInfo(void*, wl_keyboard*, std::int32_t, std::int32_t) {}
    static constexpr wl_keyboard_listener listener{keymap, enter,     leave,
                                                   key,    modifiers, repeatInfo};
};

OverlayKeyboard::OverlayKeyboard(WaylandConnection& connection,
                                 std::function<bool(wl_surface*)> ours,
                                 std::function<void(std::uint32_t, bool)> pressed)
    : connection_(connection), ours_(std::move(ours)), pressed_(std::move(pressed)) {
    seatHandler_ = connection_.addSeatHandler([this] { seatChanged(); });
    seatChanged();
}

OverlayKeyboard::~OverlayKeyboard() {
    connection_.removeSeatHandler(seatHandler_);
    if (keyboard_ != nullptr) {
        wl_keyboard_release(keyboard_);
    }
}

// The seat has a keyboard only while some keyboard exists; ours follows it.
void OverlayKeyboard::seatChanged() {
    const bool has = (connection_.seatCapabilities() & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    if (has && keyboard_ == nullptr) {
        keyboard_ = wl_seat_get_keyboard(connection_.globals().seat);
        wl_keyboard_add_listener(keyboard_, &Listeners::listener, this);
    } else if (!has && keyboard_ != nullptr) {
        wl_keyboard_release(keyboard_);
        keyboard_ = nullptr;
        focused_ = false;
    }
}

} // namespace spanlet::wayland
