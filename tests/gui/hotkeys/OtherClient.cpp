#include "OtherClient.hpp"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace spanlet::test {

namespace {

struct FreeDeleter {
    void operator()(void* p) const noexcept { std::free(p); }
};
template <class T>
using Owned = std::unique_ptr<T, FreeDeleter>;

} // namespace

OtherClient::OtherClient() {
    int screen = 0;
    connection_ = xcb_connect(nullptr, &screen);
    if (xcb_connection_has_error(connection_) != 0) {
        return;
    }
    auto it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screen && it.rem > 1; ++i) {
        xcb_screen_next(&it);
    }
    root_ = it.data->root;
}

OtherClient::~OtherClient() {
    if (symbols_) {
        xcb_key_symbols_free(symbols_);
    }
    xcb_disconnect(connection_);
}

bool OtherClient::ok() const {
    return xcb_connection_has_error(connection_) == 0 && root_ != XCB_WINDOW_NONE;
}

std::uint8_t OtherClient::keycode(char letter) {
    // Fresh symbols every time: tests change the keymap.
    if (symbols_) {
        xcb_key_symbols_free(symbols_);
    }
    symbols_ = xcb_key_symbols_alloc(connection_);
    const Owned<xcb_keycode_t> codes(
        xcb_key_symbols_get_keycode(symbols_, static_cast<xcb_keysym_t>(letter)));
    return codes && codes.get()[0] != XCB_NO_SYMBOL ? codes.get()[0] : 0;
}

bool OtherClient::grab(std::uint8_t keycode, std::uint16_t modifiers) {
    const Owned<xcb_generic_error_t> error(xcb_request_check(
        connection_, xcb_grab_key_checked(connection_, 0, root_, modifiers, keycode,
                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)));
    return !error;
}

void OtherClient::ungrab(std::uint8_t keycode, std::uint16_t modifiers) {
    const Owned<xcb_generic_error_t> error(xcb_request_check(
        connection_, xcb_ungrab_key_checked(connection_, keycode, root_, modifiers)));
}

bool OtherClient::isTaken(std::uint8_t keycode, std::uint16_t modifiers) {
    if (!grab(keycode, modifiers)) {
        return true;
    }
    ungrab(keycode, modifiers);
    return false;
}

std::uint16_t OtherClient::modifierState() {
    const Owned<xcb_query_pointer_reply_t> reply(
        xcb_query_pointer_reply(connection_, xcb_query_pointer(connection_, root_), nullptr));
    return reply ? reply->mask : 0;
}

bool OtherClient::receivedPress(std::uint8_t keycode) {
    while (Owned<xcb_generic_event_t> event{xcb_poll_for_event(connection_)}) {
        if ((event->response_type & 0x7F) == XCB_KEY_PRESS) {
            pressed_.push_back(reinterpret_cast<xcb_key_press_event_t*>(event.get())->detail);
        }
    }
    const auto at = std::find(pressed_.begin(), pressed_.end(), keycode);
    if (at == pressed_.end()) {
        return false;
    }
    pressed_.erase(at);
    return true;
}

} // namespace spanlet::test
