#pragma once

#include <cstdint>
#include <functional>

struct wl_keyboard;
struct wl_surface;

namespace spanlet::wayland {

class WaylandConnection;

/// Keys pressed while one of our overlay surfaces has the keyboard (see
/// OverlaySurface::takeKeyboard), as evdev codes: 1 is Escape, 103/108/105/106 the arrows,
/// 111 Delete, 15 Tab, 47 V, 35 H, 22 U. No keymap is read, so letters are taken by their place
/// on a US layout; `shift` is whether either Shift key is held.
class OverlayKeyboard {
public:
    /// `ours` tells whether a surface is an overlay's. `connection` must outlive this object.
    OverlayKeyboard(WaylandConnection& connection, std::function<bool(wl_surface*)> ours,
                    std::function<void(std::uint32_t code, bool shift)> pressed);
    ~OverlayKeyboard();
    OverlayKeyboard(const OverlayKeyboard&) = delete;
    OverlayKeyboard& operator=(const OverlayKeyboard&) = delete;

    /// Whether one of our surfaces has the keyboard now.
    [[nodiscard]] bool focused() const noexcept { return focused_; }

    struct Listeners;

private:
    void seatChanged();

    WaylandConnection& connection_;
    std::function<bool(wl_surface*)> ours_;
    std::function<void(std::uint32_t, bool)> pressed_;
    int shiftsDown_ = 0;
    int seatHandler_ = 0;
    wl_keyboard* keyboard_ = nullptr;
    bool focused_ = false;
};

} // namespace spanlet::wayland
