#include <QRasterWindow>
#include <cctype>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <spanlet/screen/HotkeyModifiers.hpp>
#include <spanlet/x11/X11Hotkeys.hpp>

#include "OtherClient.hpp"
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

constexpr std::uint16_t ctrlShift = controlMask | shiftMask;
// Xvfb's default keymap binds Num_Lock to Mod2.
constexpr std::uint16_t numLock = mod2Mask;
// The shortcut each check ends with, so a check that something did not happen waits for an
// event that does rather than for a timeout.
constexpr MensorCommand marker = MensorCommand::clearMeasurements;

const std::vector<MensorCommand> everyCommand(allCases<MensorCommand>.begin(),
                                              allCases<MensorCommand>.end());

char letterOf(MensorCommand command) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(shortcut(command).key[0])));
}

std::string keysOf(MensorCommand command) {
    return std::string("ctrl+shift+") + letterOf(command);
}

std::vector<std::uint16_t> everyLockState(std::uint16_t modifiers) {
    return {modifiers, static_cast<std::uint16_t>(modifiers | lockMask),
            static_cast<std::uint16_t>(modifiers | numLock),
            static_cast<std::uint16_t>(modifiers | lockMask | numLock)};
}

class HotkeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(other.ok());
        hotkeys->setOnCommand([this](MensorCommand c) { received.push_back(c); });
        hotkeys->setOnUnavailableChanged([this] { ++unavailableChanges; });
    }

    void TearDown() override {
        hotkeys.reset();
        setLock("Caps_Lock", lockMask, false);
        setLock("Num_Lock", numLock, false);
    }

    void setLock(const char* keyName, std::uint16_t bit, bool on) {
        if (((other.modifierState() & bit) != 0) != on) {
            ASSERT_TRUE(test::xdotool({"key", keyName}));
        }
        ASSERT_TRUE(waitUntil([&] { return ((other.modifierState() & bit) != 0) == on; }))
            << keyName;
    }

    /// Sends each shortcut of `keys` and waits until `count` commands have arrived in all.
    bool sendAndAwait(const std::string& keys, std::size_t count) {
        return test::xdotool({"key", keys}) && waitUntil([&] { return received.size() >= count; });
    }

    /// Sends `keys` (xdotool key arguments) and then the marker; the commands that arrived
    /// before the marker's.
    std::vector<MensorCommand> sendThenMarker(std::vector<std::string> keys) {
        received.clear();
        keys.insert(keys.end(), {"key", keysOf(marker)});
        EXPECT_TRUE(test::xdotool(keys));
        EXPECT_TRUE(waitUntil([&] { return !received.empty() && received.back() == marker; }));
        std::vector<MensorCommand> before = received;
        if (!before.empty()) {
            before.pop_back();
        }
        received.clear();
        return before;
    }

    /// Whether another client could take `command`'s combination in some lock state.
    bool anyStateFree(MensorCommand command) {
        const std::uint8_t key = other.keycode(letterOf(command));
        for (std::uint16_t state : everyLockState(ctrlShift)) {
            if (!other.isTaken(key, state)) {
                return true;
            }
        }
        return false;
    }

    /// Whether another client could take `command`'s combination in every lock state.
    bool everyStateFree(MensorCommand command) {
        const std::uint8_t key = other.keycode(letterOf(command));
        for (std::uint16_t state : everyLockState(ctrlShift)) {
            if (other.isTaken(key, state)) {
                return false;
            }
        }
        return true;
    }

    test::OtherClient other;
    std::unique_ptr<X11Hotkeys> hotkeys = std::make_unique<X11Hotkeys>();
    std::vector<MensorCommand> received;
    int unavailableChanges = 0;
};

// --- Every shortcut, whatever the lock keys -----------------------------------------------

struct LockCase {
    const char* name;
    bool capsLock;
    bool numLock;
};

void PrintTo(const LockCase& c, std::ostream* os) {
    *os << c.name;
}

class HotkeyLocksTest : public HotkeysTest, public ::testing::WithParamInterface<LockCase> {};

TEST_P(HotkeyLocksTest, EachShortcutReachesItsCommand) {
    setLock("Caps_Lock", lockMask, GetParam().capsLock);
    setLock("Num_Lock", numLock, GetParam().numLock);
    hotkeys->registerCommands(everyCommand);
    ASSERT_TRUE(hotkeys->unavailable().empty());
    for (std::size_t i = 0; i < everyCommand.size(); ++i) {
        SCOPED_TRACE(keysOf(everyCommand[i]));
        ASSERT_TRUE(sendAndAwait(keysOf(everyCommand[i]), i + 1));
        EXPECT_EQ(received.back(), everyCommand[i]);
    }
    EXPECT_EQ(received, everyCommand);
}

INSTANTIATE_TEST_SUITE_P(Cases, HotkeyLocksTest,
                         ::testing::Values(LockCase{"caps_lock_on", true, false},
                                           LockCase{"num_lock_on", false, true},
                                           LockCase{"both_locks_on", true, true}),
                         [](const auto& row) { return std::string(row.param.name); });

// --- Combinations that are not the shortcut -----------------------------------------------

// Which held modifiers trigger is checked in hotkey_modifiers_test; here the real grabs.
TEST_F(HotkeysTest, OtherCombinationsRunNoCommand) {
    hotkeys->registerCommands(everyCommand);
    EXPECT_EQ(sendThenMarker(
                  {"key", "ctrl+shift+alt+r", "key", "ctrl+r", "key", "r", "key", "ctrl+shift+t"}),
              std::vector<MensorCommand>{});
}

TEST_F(HotkeysTest, HeldShortcutRunsItsCommandOnce) {
    // Auto-repeat after 20 ms, 100 presses a second: holding the keys for 300 ms would repeat
    // the command many times over.
    ASSERT_EQ(run({"xset", "r", "rate", "20", "100"}), 0);
    hotkeys->registerCommands(everyCommand);
    EXPECT_EQ(sendThenMarker({"keydown", "ctrl+shift+r", "sleep", "0.3", "keyup", "ctrl+shift+r",
                              "key", "ctrl+shift+r"}),
              (std::vector<MensorCommand>{MensorCommand::toggleRuler, MensorCommand::toggleRuler}));
    run({"xset", "r", "rate"});
}

TEST_F(HotkeysTest, WorksWhileOurOwnWindowHasTheFocus) {
    QRasterWindow window;
    window.setGeometry(100, 100, 200, 150);
    window.show();
    xcb_connection_t* qt = test::qtConnection();
    const auto id = static_cast<xcb_window_t>(window.winId());
    ASSERT_TRUE(waitUntil([&] {
        window.requestActivate();
        test::settle();
        std::unique_ptr<xcb_get_input_focus_reply_t, decltype(&std::free)> focus(
            xcb_get_input_focus_reply(qt, xcb_get_input_focus(qt), nullptr), &std::free);
        return focus && focus->focus == id;
    }));
    hotkeys->registerCommands(everyCommand);
    // Twice: the release of the first press must reach us too, or the second looks like the
    // first one's auto-repeat.
    ASSERT_TRUE(sendAndAwait("ctrl+shift+r", 1));
    ASSERT_TRUE(sendAndAwait("ctrl+shift+r", 2));
    EXPECT_EQ(received,
              (std::vector<MensorCommand>{MensorCommand::toggleRuler, MensorCommand::toggleRuler}));
}

// --- Combinations held by another application ---------------------------------------------

TEST_F(HotkeysTest, CombinationTakenByAnotherClientIsUnavailable) {
    const std::uint8_t s = other.keycode('s');
    ASSERT_TRUE(other.grab(s, ctrlShift));
    hotkeys->registerCommands(everyCommand);
    EXPECT_EQ(hotkeys->unavailable(), std::vector<MensorCommand>{MensorCommand::toggleSnapping});
    EXPECT_EQ(hotkeys->commands(), everyCommand);
    EXPECT_EQ(unavailableChanges, 1);

    // The press goes to the client that holds it; the other commands keep their shortcuts.
    EXPECT_EQ(sendThenMarker({"key", "ctrl+shift+s"}), std::vector<MensorCommand>{});
    EXPECT_TRUE(waitUntil([&] { return other.receivedPress(s); }));
    EXPECT_EQ(sendThenMarker({"key", "ctrl+shift+r"}),
              std::vector<MensorCommand>{MensorCommand::toggleRuler});
}

TEST_F(HotkeysTest, CombinationTakenInOneLockStateIsGivenBackInAll) {
    const std::uint8_t s = other.keycode('s');
    ASSERT_TRUE(other.grab(s, ctrlShift | lockMask));
    hotkeys->registerCommands(everyCommand);
    EXPECT_EQ(hotkeys->unavailable(), std::vector<MensorCommand>{MensorCommand::toggleSnapping});
    // Our grabs without CapsLock were undone, so ctrl+shift+s works in no lock state for us.
    EXPECT_FALSE(other.isTaken(s, ctrlShift));
    EXPECT_FALSE(other.isTaken(s, ctrlShift | numLock));
    EXPECT_FALSE(other.isTaken(s, ctrlShift | lockMask | numLock));
    EXPECT_EQ(sendThenMarker({"key", "ctrl+shift+s"}), std::vector<MensorCommand>{});
}

// --- Releasing and grabbing again ---------------------------------------------------------

TEST_F(HotkeysTest, UnregisterAllReleasesEveryGrabAndRegisterTakesThemAgain) {
    hotkeys->registerCommands(everyCommand);
    for (MensorCommand c : everyCommand) {
        EXPECT_FALSE(anyStateFree(c)) << rawValue(c);
    }
    hotkeys->unregisterAll();
    EXPECT_TRUE(hotkeys->commands().empty());
    EXPECT_TRUE(hotkeys->unavailable().empty());
    for (MensorCommand c : everyCommand) {
        EXPECT_TRUE(everyStateFree(c)) << rawValue(c);
    }
    hotkeys->registerCommands(everyCommand);
    EXPECT_TRUE(hotkeys->unavailable().empty());
    for (MensorCommand c : everyCommand) {
        EXPECT_FALSE(anyStateFree(c)) << rawValue(c);
    }
    ASSERT_TRUE(sendAndAwait("ctrl+shift+h", 1));
    EXPECT_EQ(received, std::vector<MensorCommand>{MensorCommand::addHorizontalGuide});
}

TEST_F(HotkeysTest, DestroyingReleasesEveryGrab) {
    hotkeys->registerCommands(everyCommand);
    hotkeys.reset();
    for (MensorCommand c : everyCommand) {
        EXPECT_TRUE(everyStateFree(c)) << rawValue(c);
    }
}

// --- Keymap changes -----------------------------------------------------------------------

TEST_F(HotkeysTest, KeymapChangeGrabsTheLetterWhereItNowIs) {
    hotkeys->registerCommands(everyCommand);
    const std::uint8_t r = other.keycode('r');
    const std::uint8_t t = other.keycode('t');
    ASSERT_NE(r, 0);
    ASSERT_NE(t, 0);
    auto swap = [&](const char* onR, const char* onT) {
        return run({"xmodmap", "-e", "keycode " + std::to_string(r) + " = " + onR, "-e",
                    "keycode " + std::to_string(t) + " = " + onT});
    };
    ASSERT_EQ(swap("t T", "r R"), 0);
    // R now sits on T's old key; the grab follows it once the change has been seen.
    EXPECT_TRUE(waitUntil([&] { return other.isTaken(t, ctrlShift); }));
    EXPECT_TRUE(waitUntil([&] { return !other.isTaken(r, ctrlShift); }));
    EXPECT_EQ(sendThenMarker({"key", "ctrl+shift+r", "key", "ctrl+shift+t"}),
              std::vector<MensorCommand>{MensorCommand::toggleRuler});
    EXPECT_TRUE(hotkeys->unavailable().empty());
    EXPECT_EQ(swap("r R", "t T"), 0);
    EXPECT_TRUE(waitUntil([&] { return other.isTaken(r, ctrlShift); }));
}

} // namespace
} // namespace spanlet
