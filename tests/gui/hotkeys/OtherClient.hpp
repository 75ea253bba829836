#pragma once

#include <cstdint>
#include <functional>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

namespace spanlet::test {

/// Another application on the same display, with an XCB connection of its own: it grabs key
/// combinations on the root window, sees the presses they bring, and reads the keyboard state.
class OtherClient {
public:
    OtherClient();
    ~OtherClient();
    OtherClient(const OtherClient&) = delete;
    OtherClient& operator=(const OtherClient&) = delete;

    [[nodiscard]] bool ok() const;

    /// The first keycode that carries `letter` (lower case) in the current keymap, or 0.
    [[nodiscard]] std::uint8_t keycode(char letter);
    /// Grabs `keycode` with exactly `modifiers` (X11 mask) on the root; whether the server
    /// allowed it.
    bool grab(std::uint8_t keycode, std::uint16_t modifiers);
    void ungrab(std::uint8_t keycode, std::uint16_t modifiers);
    /// Whether some other client holds the combination: tries to grab it and, when that works,
    /// gives it back at once.
    bool isTaken(std::uint8_t keycode, std::uint16_t modifiers);

    /// The modifier and lock state of the keyboard now (KeyButMask bits).
    [[nodiscard]] std::uint16_t modifierState();
    /// Reads what the server sent; whether a press of `keycode` arrived since the last call.
    bool receivedPress(std::uint8_t keycode);

private:
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    xcb_key_symbols_t* symbols_ = nullptr;
    std::vector<std::uint8_t> pressed_;
};

} // namespace spanlet::test
