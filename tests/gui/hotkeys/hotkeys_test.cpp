// The global Ctrl+Shift shortcuts as real key grabs: xdotool presses the keys, and a second XCB
// connection plays another application that holds combinations and checks what is grabbed.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <spanlet/x11/HotkeyModifiers.hpp>
#include <spanlet/x11/X11Hotkeys.hpp>

#include "support/Processes.hpp"
#include "support/X11Env.hpp"

namespace spanlet {

// Readable commands in failure messages.
void PrintTo(MensorCommand command, std::ostream* os) {
    *os << rawValue(command);
}

namespace {

using namespace HotkeyModifiers;
using test::run;
using test::waitUntil;
using Commands = std::vector<MensorCommand>;

constexpr std::uint16_t ctrlShift = controlMask | shiftMask;
// Xvfb's default keymap binds Num_Lock to Mod2.
constexpr std::uint16_t numLock = mod2Mask;
// The shortcut each check ends with, so a check that something did not happen waits for an
// event that does rather than for a timeout.
constexpr MensorCommand marker = MensorCommand::clearMeasurements;

const Commands everyCommand(allCases<MensorCommand>.begin(), allCases<MensorCommand>.end());
const std::vector<Binding> defaultBindings = ShortcutBindings().registrable();

char letterOf(MensorCommand command) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(shortcut(command).key[0])));
}

class HotkeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(xcb_connection_has_error(other), 0);
        hotkeys->setOnCommand([this](MensorCommand c) { received.push_back(c); });
        hotkeys->setOnStatusChanged([this] { ++unavailableChanges; });
    }
    void TearDown() override {
        hotkeys.reset();
        setLock("Caps_Lock", lockMask, false);
        setLock("Num_Lock", numLock, false);
        xcb_disconnect(other);
    }

    // --- The other application ---
    std::uint8_t keycode(char letter) {
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(other);
        const auto codes =
            test::reply(xcb_key_symbols_get_keycode(symbols, static_cast<xcb_keysym_t>(letter)));
        xcb_key_symbols_free(symbols);
        return codes && codes.get()[0] != XCB_NO_SYMBOL ? codes.get()[0] : 0;
    }
    bool grab(std::uint8_t key, std::uint16_t modifiers) {
        return !test::reply(xcb_request_check(other, xcb_grab_key_checked(other, 0, root, modifiers,
                                                                          key, XCB_GRAB_MODE_ASYNC,
                                                                          XCB_GRAB_MODE_ASYNC)));
    }
    /// Whether someone holds the combination: a grab of it fails (one that works is given back).
    bool isTaken(std::uint8_t key, std::uint16_t modifiers) {
        if (!grab(key, modifiers)) {
            return true;
        }
        std::free(xcb_request_check(other, xcb_ungrab_key_checked(other, key, root, modifiers)));
        return false;
    }
    /// The keysyms of `key` in the server's keymap, one per column.
    std::vector<xcb_keysym_t> symbolsOf(std::uint8_t key) {
        const auto map = test::reply(xcb_get_keyboard_mapping_reply(
            other, xcb_get_keyboard_mapping(other, key, 1), nullptr));
        const xcb_keysym_t* first = map ? xcb_get_keyboard_mapping_keysyms(map.get()) : nullptr;
        return first ? std::vector<xcb_keysym_t>(first, first + map->keysyms_per_keycode)
                     : std::vector<xcb_keysym_t>{};
    }
    /// Puts `symbols` on `key`; the server reports a keymap change to every client.
    void setSymbols(std::uint8_t key, const std::vector<xcb_keysym_t>& symbols) {
        std::free(xcb_request_check(
            other, xcb_change_keyboard_mapping_checked(
                       other, 1, key, static_cast<std::uint8_t>(symbols.size()), symbols.data())));
    }
    void setLock(const char* keyName, std::uint16_t bit, bool on) {
        const auto isOn = [&] {
            const auto pointer = test::reply(
                xcb_query_pointer_reply(other, xcb_query_pointer(other, root), nullptr));
            return pointer && (pointer->mask & bit) != 0;
        };
        if (isOn() != on) {
            ASSERT_TRUE(test::xdotool({"key", keyName}));
        }
        ASSERT_TRUE(waitUntil([&] { return isOn() == on; })) << keyName;
    }

    // --- Our side ---
    /// Sends `keys` (xdotool key arguments), then the marker; the commands before the marker's.
    Commands sendThenMarker(std::vector<std::string> keys) {
        received.clear();
        keys.insert(keys.end(), {"key", std::string("ctrl+shift+") + letterOf(marker)});
        EXPECT_TRUE(test::xdotool(keys));
        EXPECT_TRUE(waitUntil([&] { return !received.empty() && received.back() == marker; }));
        return Commands(received.begin(), received.end() - (received.empty() ? 0 : 1));
    }

    xcb_connection_t* other = xcb_connect(nullptr, nullptr);
    xcb_window_t root = xcb_connection_has_error(other)
                            ? 0
                            : xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
    std::unique_ptr<X11Hotkeys> hotkeys = std::make_unique<X11Hotkeys>();
    Commands received;
    int unavailableChanges = 0;
};

// With both lock keys on: every shortcut reaches its command once; other combinations of the
// letter do nothing, and a held shortcut's auto-repeat counts once (the second press counts only
// if the release of the held one reached us too). Which held modifiers trigger is
// hotkey_modifiers_test's.
TEST_F(HotkeysTest, ShortcutsReachTheirCommandsWithLockKeysOnAndRepeatNothing) {
    hotkeys->registerCommands(defaultBindings);
    ASSERT_TRUE(hotkeys->unavailable().empty());
    setLock("Caps_Lock", lockMask, true);
    setLock("Num_Lock", numLock, true);
    std::vector<std::string> keys;
    Commands expected;
    for (MensorCommand c : everyCommand) {
        if (c != marker) { // the marker's own shortcut ends every check
            keys.insert(keys.end(), {"key", std::string("ctrl+shift+") + letterOf(c)});
            expected.push_back(c);
        }
    }
    EXPECT_EQ(sendThenMarker(keys), expected);
    // Auto-repeat after 20 ms, 100 a second: holding the keys for 300 ms repeats many times.
    ASSERT_EQ(run({"xset", "r", "rate", "20", "100"}), 0);
    EXPECT_EQ(sendThenMarker({"key", "ctrl+shift+alt+r", "key", "ctrl+r", "key", "r", "keydown",
                              "ctrl+shift+r", "sleep", "0.3", "keyup", "ctrl+shift+r", "key",
                              "ctrl+shift+r"}),
              (Commands{MensorCommand::toggleRuler, MensorCommand::toggleRuler}));
    run({"xset", "r", "rate"});
}

// Another client holds Ctrl+Shift+S with Caps Lock only: ours is unavailable, the half we got in
// the other lock states is given back, and the other commands keep their shortcuts until
// unregistering or destroying releases them too.
TEST_F(HotkeysTest, TakenCombinationIsUnavailableAndEveryGrabIsGivenBack) {
    const std::uint8_t s = keycode('s');
    const std::uint8_t r = keycode('r');
    ASSERT_TRUE(grab(s, ctrlShift | lockMask));
    hotkeys->registerCommands(defaultBindings);
    EXPECT_EQ(hotkeys->unavailable(), Commands{MensorCommand::toggleSnapping});
    EXPECT_EQ(unavailableChanges, 1);
    for (const int locks : {0, int{numLock}, lockMask | numLock}) {
        EXPECT_FALSE(isTaken(s, static_cast<std::uint16_t>(ctrlShift | locks))) << locks;
        EXPECT_TRUE(isTaken(r, static_cast<std::uint16_t>(ctrlShift | locks))) << locks;
    }
    EXPECT_EQ(sendThenMarker({"key", "ctrl+shift+s", "key", "ctrl+shift+r"}),
              Commands{MensorCommand::toggleRuler});
    hotkeys->unregisterAll();
    EXPECT_FALSE(isTaken(r, ctrlShift | numLock));
    hotkeys->registerCommands(std::vector<Binding>{defaultBindings.front()});
    EXPECT_TRUE(isTaken(r, ctrlShift | numLock));
    hotkeys.reset();
    EXPECT_FALSE(isTaken(r, ctrlShift | numLock));
}

// The user's own bindings: a changed combination is grabbed instead of the default, and a
// cleared one leaves the default free for the terminal or editor that wants it.
TEST_F(HotkeysTest, UserBindingsReplaceTheDefaultGrabs) {
    ShortcutBindings bindings;
    bindings.set(MensorCommand::toggleRuler,
                 userShortcut("R", {Shortcut::Modifiers::control, Shortcut::Modifiers::option}));
    bindings.set(MensorCommand::pickColor, std::nullopt);
    hotkeys->registerCommands(defaultBindings);
    hotkeys->registerCommands(bindings.registrable());
    EXPECT_FALSE(isTaken(keycode('c'), ctrlShift));
    EXPECT_FALSE(isTaken(keycode('r'), ctrlShift));
    EXPECT_TRUE(isTaken(keycode('r'), controlMask | mod1Mask));
    EXPECT_EQ(sendThenMarker({"key", "ctrl+shift+r", "key", "ctrl+alt+r"}),
              Commands{MensorCommand::toggleRuler});
}

// The server reports a keymap change whenever the keyboard that typed last changes, with the same
// keys as before. The grabs stay in place through such a report: another client that keeps
// trying to take Ctrl+Shift+S never gets it. A letter that really moved is grabbed at its new
// keycode.
TEST_F(HotkeysTest, GrabsStayThroughKeymapReportsAndFollowAMovedKey) {
    hotkeys->registerCommands(defaultBindings);
    const std::uint8_t s = keycode('s');
    std::atomic<bool> reported = false;
    std::atomic<bool> stolen = false;
    std::thread thief([&] {
        xcb_connection_t* c = xcb_connect(nullptr, nullptr);
        while (!reported && !stolen) {
            stolen = !test::reply(xcb_request_check(c, xcb_grab_key_checked(c, 0, root, ctrlShift,
                                                                            s, XCB_GRAB_MODE_ASYNC,
                                                                            XCB_GRAB_MODE_ASYNC)));
        }
        xcb_disconnect(c);
    });
    setSymbols(s, symbolsOf(s));               // a report that changes nothing
    EXPECT_EQ(sendThenMarker({}), Commands{}); // its re-grab, if any, ran before the marker
    reported = true;
    thief.join();
    EXPECT_FALSE(stolen) << "the grabs were given back during a keymap report";

    const std::uint8_t r = keycode('r');
    const std::uint8_t spare = 255;
    const std::vector<xcb_keysym_t> rSymbols = symbolsOf(r);
    const std::vector<xcb_keysym_t> spareSymbols = symbolsOf(spare);
    setSymbols(spare, rSymbols);
    setSymbols(r, std::vector<xcb_keysym_t>(rSymbols.size(), XCB_NO_SYMBOL));
    EXPECT_TRUE(waitUntil([&] { return isTaken(spare, ctrlShift); }));
    EXPECT_EQ(sendThenMarker({"key", "ctrl+shift+r"}), Commands{MensorCommand::toggleRuler});
    setSymbols(r, rSymbols);
    setSymbols(spare, spareSymbols);
}

} // namespace
} // namespace spanlet
