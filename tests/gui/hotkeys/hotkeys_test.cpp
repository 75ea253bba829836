// The global ⌃⇧ shortcuts as real key grabs: xdotool presses the keys, and a second XCB
// connection plays another application that holds combinations and checks what is grabbed.
#include <QRasterWindow>
#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <spanlet/screen/HotkeyModifiers.hpp>
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

struct FreeDeleter {
    void operator()(void* p) const noexcept { std::free(p); }
};
template <class T>
using Owned = std::unique_ptr<T, FreeDeleter>;

constexpr std::uint16_t ctrlShift = controlMask | shiftMask;
// Xvfb's default keymap binds Num_Lock to Mod2.
constexpr std::uint16_t numLock = mod2Mask;
constexpr std::uint16_t lockStates[] = {0, lockMask, numLock, lockMask | numLock};
// The shortcut each check ends with, so a check that something did not happen waits for an
// event that does rather than for a timeout.
constexpr MensorCommand marker = MensorCommand::clearMeasurements;

const Commands everyCommand(allCases<MensorCommand>.begin(), allCases<MensorCommand>.end());

char letterOf(MensorCommand command) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(shortcut(command).key[0])));
}

class HotkeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(xcb_connection_has_error(other), 0);
        hotkeys->setOnCommand([this](MensorCommand c) { received.push_back(c); });
        hotkeys->setOnUnavailableChanged([this] { ++unavailableChanges; });
    }
    void TearDown() override {
        hotkeys.reset();
        setLock("Caps_Lock", lockMask, false);
        setLock("Num_Lock", numLock, false);
        xcb_disconnect(other);
    }

    // --- The other application ---

    /// The first keycode that carries `letter` (lower case) in the keymap now, or 0.
    std::uint8_t keycode(char letter) {
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(other);
        const Owned<xcb_keycode_t> codes(
            xcb_key_symbols_get_keycode(symbols, static_cast<xcb_keysym_t>(letter)));
        xcb_key_symbols_free(symbols);
        return codes && codes.get()[0] != XCB_NO_SYMBOL ? codes.get()[0] : 0;
    }
    /// Grabs `keycode` with exactly `modifiers` on the root; whether the server allowed it.
    bool grab(std::uint8_t keycode, std::uint16_t modifiers) {
        return !Owned<xcb_generic_error_t>(xcb_request_check(
            other, xcb_grab_key_checked(other, 0, root, modifiers, keycode, XCB_GRAB_MODE_ASYNC,
                                        XCB_GRAB_MODE_ASYNC)));
    }
    /// Whether someone holds the combination: a grab of it fails (one that works is given back).
    bool isTaken(std::uint8_t keycode, std::uint16_t modifiers) {
        if (!grab(keycode, modifiers)) {
            return true;
        }
        std::free(
            xcb_request_check(other, xcb_ungrab_key_checked(other, keycode, root, modifiers)));
        return false;
    }
    /// For each command, in how many of the four lock states someone holds its combination.
    std::string heldStates() {
        std::string held;
        for (MensorCommand c : everyCommand) {
            const std::uint8_t key = keycode(letterOf(c));
            held +=
                static_cast<char>('0' + std::count_if(std::begin(lockStates), std::end(lockStates),
                                                      [&](std::uint16_t locks) {
                                                          return isTaken(key, ctrlShift | locks);
                                                      }));
        }
        return held;
    }
    void setLock(const char* keyName, std::uint16_t bit, bool on) {
        const auto isOn = [&] {
            const Owned<xcb_query_pointer_reply_t> pointer(
                xcb_query_pointer_reply(other, xcb_query_pointer(other, root), nullptr));
            return pointer && (pointer->mask & bit) != 0;
        };
        if (isOn() != on) {
            ASSERT_TRUE(test::xdotool({"key", keyName}));
        }
        ASSERT_TRUE(waitUntil([&] { return isOn() == on; })) << keyName;
    }

    // --- Our side ---

    /// Sends `keys` (xdotool key arguments) and then the marker; the commands that arrived
    /// before the marker's.
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

TEST_F(HotkeysTest, EachShortcutReachesItsCommandWhateverTheLockKeys) {
    hotkeys->registerCommands(everyCommand);
    ASSERT_TRUE(hotkeys->unavailable().empty());
    std::vector<std::string> keys;
    Commands expected;
    for (MensorCommand c : everyCommand) {
        if (c != marker) { // the marker's own shortcut ends every check
            keys.insert(keys.end(), {"key", std::string("ctrl+shift+") + letterOf(c)});
            expected.push_back(c);
        }
    }
    for (std::uint16_t locks : lockStates) {
        SCOPED_TRACE("lock modifiers " + std::to_string(locks));
        setLock("Caps_Lock", lockMask, (locks & lockMask) != 0);
        setLock("Num_Lock", numLock, (locks & numLock) != 0);
        EXPECT_EQ(sendThenMarker(keys), expected);
    }
}

// Which held modifiers trigger is checked in hotkey_modifiers_test; here the real grabs, while
// our own window has the focus.
TEST_F(HotkeysTest, OtherCombinationsAndAutoRepeatRunNothing) {
    QRasterWindow window;
    window.setGeometry(100, 100, 200, 150);
    window.show();
    xcb_connection_t* qt = test::qtConnection();
    ASSERT_TRUE(waitUntil([&] {
        window.requestActivate();
        test::settle();
        const Owned<xcb_get_input_focus_reply_t> focus(
            xcb_get_input_focus_reply(qt, xcb_get_input_focus(qt), nullptr));
        return focus && focus->focus == static_cast<xcb_window_t>(window.winId());
    }));
    // Auto-repeat after 20 ms, 100 presses a second: holding the keys for 300 ms would repeat
    // the command many times over. The second press counts only if the release of the held one
    // reached us too.
    ASSERT_EQ(run({"xset", "r", "rate", "20", "100"}), 0);
    hotkeys->registerCommands(everyCommand);
    EXPECT_EQ(sendThenMarker({"key", "ctrl+shift+alt+r", "key", "ctrl+r", "key", "r", "key",
                              "ctrl+shift+t", "keydown", "ctrl+shift+r", "sleep", "0.3", "keyup",
                              "ctrl+shift+r", "key", "ctrl+shift+r"}),
              (Commands{MensorCommand::toggleRuler, MensorCommand::toggleRuler}));
    run({"xset", "r", "rate"});
}

/// A combination another client holds, with these lock modifiers, before we register.
class TakenCombination : public HotkeysTest, public ::testing::WithParamInterface<std::uint16_t> {};

TEST_P(TakenCombination, IsUnavailableAndGivenBackInEveryLockState) {
    const std::uint16_t taken = ctrlShift | GetParam();
    const std::uint8_t s = keycode('s');
    ASSERT_TRUE(grab(s, taken));
    hotkeys->registerCommands(everyCommand);
    EXPECT_EQ(hotkeys->unavailable(), Commands{MensorCommand::toggleSnapping});
    EXPECT_EQ(hotkeys->commands(), everyCommand);
    EXPECT_EQ(unavailableChanges, 1);
    // Half a combination would work only with some lock keys on: ours are all undone.
    for (std::uint16_t locks : lockStates) {
        if ((ctrlShift | locks) != taken) {
            EXPECT_FALSE(isTaken(s, ctrlShift | locks)) << "locks " << locks;
        }
    }
    // The press never reaches us; the other commands keep their shortcuts.
    EXPECT_EQ(sendThenMarker({"key", "ctrl+shift+s", "key", "ctrl+shift+r"}),
              Commands{MensorCommand::toggleRuler});
}

INSTANTIATE_TEST_SUITE_P(, TakenCombination, ::testing::Values(0, lockMask), [](const auto& row) {
    return std::string(row.param == 0 ? "withoutLocks" : "withCapsLockOnly");
});

TEST_F(HotkeysTest, UnregisteringOrDestroyingReleasesEveryGrab) {
    const std::string all(everyCommand.size(), '4');
    const std::string none(everyCommand.size(), '0');
    hotkeys->registerCommands(everyCommand);
    EXPECT_EQ(heldStates(), all);
    hotkeys->unregisterAll();
    EXPECT_TRUE(hotkeys->commands().empty());
    EXPECT_EQ(heldStates(), none);
    hotkeys->registerCommands(everyCommand);
    EXPECT_TRUE(hotkeys->unavailable().empty());
    EXPECT_EQ(heldStates(), all);
    EXPECT_EQ(sendThenMarker({"key", "ctrl+shift+h"}), Commands{MensorCommand::addHorizontalGuide});
    hotkeys.reset();
    EXPECT_EQ(heldStates(), none);
}

TEST_F(HotkeysTest, KeymapChangeGrabsTheLetterWhereItNowIs) {
    hotkeys->registerCommands(everyCommand);
    const std::uint8_t r = keycode('r');
    const std::uint8_t t = keycode('t');
    ASSERT_NE(r, 0);
    ASSERT_NE(t, 0);
    auto swap = [&](const char* onR, const char* onT) {
        return run({"xmodmap", "-e", "keycode " + std::to_string(r) + " = " + onR, "-e",
                    "keycode " + std::to_string(t) + " = " + onT});
    };
    ASSERT_EQ(swap("t T", "r R"), 0);
    // R now sits on T's old key; the grab follows it once the change has been seen.
    EXPECT_TRUE(waitUntil([&] { return isTaken(t, ctrlShift); }));
    EXPECT_TRUE(waitUntil([&] { return !isTaken(r, ctrlShift); }));
    EXPECT_EQ(sendThenMarker({"key", "ctrl+shift+r", "key", "ctrl+shift+t"}),
              Commands{MensorCommand::toggleRuler});
    EXPECT_TRUE(hotkeys->unavailable().empty());
    EXPECT_EQ(swap("r R", "t T"), 0);
    EXPECT_TRUE(waitUntil([&] { return isTaken(r, ctrlShift); }));
}

} // namespace
} // namespace spanlet
