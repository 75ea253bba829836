#include <cstdint>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

#include <spanlet/screen/HotkeyModifiers.hpp>

namespace spanlet {
namespace {

using namespace HotkeyModifiers;
using M = Shortcut::Modifiers;

constexpr std::uint16_t ctrlShift = controlMask | shiftMask;
constexpr std::uint16_t ctrlSuper = controlMask | mod4Mask;

TEST(HotkeyModifiersTest, ShortcutModifiersMapToTheirX11Bits) {
    EXPECT_EQ(x11Mask(M{M::control, M::shift}), ctrlShift);
    EXPECT_EQ(x11Mask(M{M::option, M::command}), mod1Mask | mod4Mask);
    EXPECT_EQ(x11Mask(M(0x1200U | 0x1U | 0x400U)), ctrlShift) << "unknown bits are ignored";
}

TEST(HotkeyModifiersTest, NumLockIsTheRowOfTheModifierMapHoldingIt) {
    // Rows: shift, lock, control, mod1 … mod5, one or two slots each; 0 marks an empty slot.
    // 77 is Num_Lock on a pc105 keymap.
    EXPECT_EQ(numLockMask({{50, 66, 37, 64, 77, 0, 133, 92}}, 1, {{77}}), mod2Mask);
    const std::vector<std::uint8_t> twoSlots{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 200, 0};
    EXPECT_EQ(numLockMask(twoSlots, 2, {{77, 200}}), mod5Mask) << "one of several keycodes";
    EXPECT_EQ(numLockMask(twoSlots, 2, {{77}}), 0) << "not bound";
    EXPECT_EQ(numLockMask(twoSlots, 2, {{0}}), 0) << "empty slots never match keycode 0";
    EXPECT_EQ(numLockMask({{77, 77, 77}}, 2, {{77}}), 0) << "a short map is ignored";
}

TEST(HotkeyModifiersTest, GrabsEachLockCombinationOnceAndEachOneMatches) {
    const struct {
        const char* name;
        std::uint16_t grabbed;
        std::uint16_t numLock;
        std::vector<std::uint16_t> variants;
    } cases[] = {
        {"none, caps, num, both",
         ctrlShift,
         mod2Mask,
         {ctrlShift, ctrlShift | lockMask, ctrlShift | mod2Mask, ctrlShift | lockMask | mod2Mask}},
        {"NumLock unbound", ctrlShift, 0, {ctrlShift, ctrlShift | lockMask}},
        {"NumLock sharing a held modifier", ctrlSuper, mod4Mask, {ctrlSuper, ctrlSuper | lockMask}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(lockVariants(c.grabbed, c.numLock), c.variants);
        const std::vector<Grab> grabs{{27, c.grabbed, 3}};
        for (std::uint16_t variant : c.variants) {
            EXPECT_EQ(match(grabs, 27, variant, c.numLock), 3U) << variant;
        }
    }
}

TEST(HotkeyModifiersTest, TriggersOnExactlyTheHeldModifiers) {
    constexpr std::uint16_t button1 = 1U << 8U;
    constexpr std::uint16_t group2 = 1U << 13U;
    EXPECT_TRUE(triggers(ctrlShift, ctrlShift | lockMask | mod2Mask, mod2Mask)) << "locks on";
    EXPECT_TRUE(triggers(ctrlShift, ctrlShift | button1 | group2, mod2Mask)) << "button, group";
    EXPECT_FALSE(triggers(ctrlShift, controlMask, mod2Mask)) << "fewer modifiers";
    EXPECT_FALSE(triggers(ctrlShift, ctrlShift | mod1Mask, mod2Mask)) << "more modifiers";
    EXPECT_FALSE(triggers(ctrlShift, ctrlShift | mod2Mask, mod3Mask)) << "Mod2 is no lock here";
    // NumLock on a modifier of the combination: that bit must be held.
    EXPECT_FALSE(triggers(ctrlSuper, controlMask, mod4Mask));
    EXPECT_TRUE(triggers(ctrlSuper, ctrlSuper | lockMask, mod4Mask));
}

TEST(HotkeyModifiersTest, MatchPicksTheGrabOfTheKeyAndModifiers) {
    // R and S grabbed with Control-Shift; a third entry on R with Control alone.
    const std::vector<Grab> grabs = {{27, ctrlShift, 0}, {39, ctrlShift, 5}, {27, controlMask, 9}};
    EXPECT_EQ(match(grabs, 27, ctrlShift, mod2Mask), 0U);
    EXPECT_EQ(match(grabs, 39, ctrlShift | lockMask | mod2Mask, mod2Mask), 5U);
    EXPECT_EQ(match(grabs, 27, controlMask | mod2Mask, mod2Mask), 9U);
    EXPECT_EQ(match(grabs, 27, ctrlShift | mod1Mask, mod2Mask), std::nullopt);
    EXPECT_EQ(match(grabs, 28, ctrlShift, mod2Mask), std::nullopt);
}

TEST(HotkeyModifiersTest, KeysymOfAKeyLabelIsTheUnshiftedSymbol) {
    EXPECT_EQ(keysymOfKey("R"), 0x72U);
    EXPECT_EQ(keysymOfKey("7"), 0x37U);
    for (const char* none : {"", ",", "\xC3\x84", "RS"}) {
        EXPECT_EQ(keysymOfKey(none), std::nullopt) << none;
    }
    for (MensorCommand c : allCases<MensorCommand>) {
        const auto keysym = keysymOfKey(shortcut(c).key);
        EXPECT_TRUE(keysym && *keysym >= 0x61U && *keysym <= 0x7AU) << rawValue(c);
    }
}

} // namespace
} // namespace spanlet
