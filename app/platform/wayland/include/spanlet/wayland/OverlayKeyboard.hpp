#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QTimer;
struct wl_keyboard;
struct wl_surface;
struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace spanlet::wayland {

class WaylandConnection;

/// Keys pressed while one of our overlay surfaces has the keyboard (see
/// OverlaySurface::takeKeyboard), read through the keymap the compositor sends, so letters are
/// those of the user's layout. A key held down repeats at the rate and after the delay the
/// compositor gives.
class OverlayKeyboard {
public:
    struct Key {
        std::uint32_t keysym = 0; ///< XKB keysym, as xkbcommon-keysyms.h names them
        std::string text;         ///< what the key types, UTF-8; empty for keys that type nothing
        bool shift = false;       ///< whether Shift is held
        bool alt = false;         ///< whether Alt is held
        bool control = false;     ///< whether Ctrl is held (text is then the key's own character)
        bool super = false;       ///< whether Super is held
    };

    /// `ours` tells whether a surface is an overlay's. `connection` must outlive this object.
    OverlayKeyboard(WaylandConnection& connection, std::function<bool(wl_surface*)> ours,
                    std::function<void(const Key&)> pressed);
    ~OverlayKeyboard();
    OverlayKeyboard(const OverlayKeyboard&) = delete;
    OverlayKeyboard& operator=(const OverlayKeyboard&) = delete;

    /// Whether one of our surfaces has the keyboard now.
    [[nodiscard]] bool focused() const noexcept { return focused_; }

    struct Listeners;

private:
    void seatChanged();
    void setKeymap(std::string_view text);
    void press(std::uint32_t code);
    void stopRepeat();

    struct XkbDeleter {
        void operator()(xkb_context* c) const;
        void operator()(xkb_keymap* k) const;
        void operator()(xkb_state* s) const;
    };

    WaylandConnection& connection_;
    std::function<bool(wl_surface*)> ours_;
    std::function<void(const Key&)> pressed_;
    int seatHandler_ = 0;
    wl_keyboard* keyboard_ = nullptr;
    bool focused_ = false;
    std::unique_ptr<xkb_context, XkbDeleter> context_;
    std::unique_ptr<xkb_keymap, XkbDeleter> keymap_;
    std::unique_ptr<xkb_state, XkbDeleter> state_;
    std::unique_ptr<QTimer> repeat_;
    std::uint32_t repeating_ = 0; ///< evdev code of the key repeating, or 0
    int repeatDelay_ = 600;       ///< ms before the first repeat
    int repeatInterval_ = 40;     ///< ms between repeats; 0: keys don't repeat
};

} // namespace spanlet::wayland
