#include <QTimer>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <spanlet/wayland/OverlayKeyboard.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>

namespace spanlet::wayland {

namespace {
// wl_keyboard reports evdev codes; XKB keycodes are 8 higher.
constexpr std::uint32_t xkbOffset = 8;
} // namespace

void OverlayKeyboard::XkbDeleter::operator()(xkb_context* c) const {
    xkb_context_unref(c);
}
void OverlayKeyboard::XkbDeleter::operator()(xkb_keymap* k) const {
    xkb_keymap_unref(k);
}
void OverlayKeyboard::XkbDeleter::operator()(xkb_state* s) const {
    xkb_state_unref(s);
}

struct OverlayKeyboard::Listeners {
    static void keymap(void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd,
                       std::uint32_t size) {
        auto* k = static_cast<OverlayKeyboard*>(data);
        if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0) {
            void* map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
            if (map != MAP_FAILED) {
                const auto* text = static_cast<const char*>(map);
                k->setKeymap({text, strnlen(text, size)});
                munmap(map, size);
            }
        }
        close(fd);
    }
    static void enter(void* data, wl_keyboard*, std::uint32_t, wl_surface* surface, wl_array*) {
        auto* k = static_cast<OverlayKeyboard*>(data);
        k->focused_ = surface != nullptr && k->ours_(surface);
    }
    static void leave(void* data, wl_keyboard*, std::uint32_t, wl_surface*) {
        auto* k = static_cast<OverlayKeyboard*>(data);
        k->focused_ = false;
        k->stopRepeat();
    }
    static void key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t code,
                    std::uint32_t state) {
        auto* k = static_cast<OverlayKeyboard*>(data);
        if (state != WL_KEYBOARD_KEY_STATE_PRESSED) {
            if (code == k->repeating_) {
                k->stopRepeat();
            }
            return;
        }
        if (!k->focused_ || !k->state_) {
            return;
        }
        k->stopRepeat();
        k->press(code);
        if (k->repeatInterval_ > 0 &&
            xkb_keymap_key_repeats(k->keymap_.get(), code + xkbOffset) != 0) {
            k->repeating_ = code;
            k->repeat_->start(k->repeatDelay_);
        }
    }
    static void modifiers(void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed,
                          std::uint32_t latched, std::uint32_t locked, std::uint32_t group) {
        auto* k = static_cast<OverlayKeyboard*>(data);
        if (k->state_) {
            xkb_state_update_mask(k->state_.get(), depressed, latched, locked, 0, 0, group);
        }
    }
    static void repeatInfo(void* data, wl_keyboard*, std::int32_t rate, std::int32_t delay) {
        auto* k = static_cast<OverlayKeyboard*>(data);
        k->repeatInterval_ = rate > 0 ? std::max(1000 / rate, 1) : 0;
        k->repeatDelay_ = std::max(delay, 0);
    }
    static constexpr wl_keyboard_listener listener{keymap, enter,     leave,
                                                   key,    modifiers, repeatInfo};
};

OverlayKeyboard::OverlayKeyboard(WaylandConnection& connection,
                                 std::function<bool(wl_surface*)> ours,
                                 std::function<void(const Key&)> pressed)
    : connection_(connection), ours_(std::move(ours)), pressed_(std::move(pressed)),
      context_(xkb_context_new(XKB_CONTEXT_NO_FLAGS)), repeat_(std::make_unique<QTimer>()) {
    repeat_->setSingleShot(true);
    QObject::connect(repeat_.get(), &QTimer::timeout, [this] {
        if (focused_ && repeating_ != 0) {
            press(repeating_);
            repeat_->start(repeatInterval_);
        }
    });
    seatHandler_ = connection_.addSeatHandler([this] { seatChanged(); });
    seatChanged();
}

OverlayKeyboard::~OverlayKeyboard() {
    connection_.removeSeatHandler(seatHandler_);
    if (keyboard_ != nullptr) {
        wl_keyboard_release(keyboard_);
    }
}

void OverlayKeyboard::setKeymap(std::string_view text) {
    stopRepeat();
    xkb_keymap* keymap =
        context_
            ? xkb_keymap_new_from_buffer(context_.get(), text.data(), text.size(),
                                         XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS)
            : nullptr;
    if (keymap == nullptr) {
        return; // keep the one we had: a keymap we cannot read changes nothing
    }
    keymap_.reset(keymap);
    state_.reset(xkb_state_new(keymap));
}

void OverlayKeyboard::press(std::uint32_t code) {
    if (!pressed_ || !state_) {
        return;
    }
    const xkb_keycode_t keycode = code + xkbOffset;
    Key key;
    key.keysym = xkb_state_key_get_one_sym(state_.get(), keycode);
    char text[16] = {};
    xkb_state_key_get_utf8(state_.get(), keycode, text, sizeof text);
    key.text = text;
    key.shift = xkb_state_mod_name_is_active(state_.get(), XKB_MOD_NAME_SHIFT,
                                             XKB_STATE_MODS_EFFECTIVE) > 0;
    key.alt =
        xkb_state_mod_name_is_active(state_.get(), XKB_MOD_NAME_ALT, XKB_STATE_MODS_EFFECTIVE) > 0;
    key.control =
        xkb_state_mod_name_is_active(state_.get(), XKB_MOD_NAME_CTRL, XKB_STATE_MODS_EFFECTIVE) > 0;
    key.super =
        xkb_state_mod_name_is_active(state_.get(), XKB_MOD_NAME_LOGO, XKB_STATE_MODS_EFFECTIVE) > 0;
    if (key.control) {
        // With Ctrl held the text is a control character (Ctrl+C types U+0003): the keysym's
        // own character instead, so Ctrl+Shift+C reads as "C".
        text[0] = '\0';
        xkb_keysym_to_utf8(key.keysym, text, sizeof text);
        key.text = text;
    }
    pressed_(key);
}

void OverlayKeyboard::stopRepeat() {
    repeating_ = 0;
    repeat_->stop();
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
        stopRepeat();
    }
}

} // namespace spanlet::wayland
