#include <cstdint>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

#include <spanlet/x11/HotkeyModifiers.hpp>

namespace spanlet {
namespace {

using namespace HotkeyModifiers;
using M = Shortcut::Modifiers;

constexpr std::uint16_t ctrlShift = controlMask | shiftMask;
constexpr std::uint16_t ctrlSuper = controlMask | mod4Mask;

TEST(HotkeyModifiersTest, MasksAndNumLockRow) {
    EXPECT_EQ(x11Mask(M{M::option, M::command}), mod1Mask | mod4Mask);
    EXPECT_EQ(x11Mask(M(0x1200U | 0x1U | 0x400U)), ctrlShift) << "unknown bits are ignored";
    // Rows: shift, lock, control, mod1 … mod5, two slots each; 0 marks an empty slot.
    const std::vector<std::uint8_t> map{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 200, 0};
    EXPECT_EQ(numLockMask(map, 2, {{77, 200}}), mod5Mask) << "one of several keycodes";
    EXPECT_EQ(numLockMask(map, 2, {{0}}), 0) << "empty slots never match keycode 0";
    EXPECT_EQ(numLockMask({{77, 77, 77}}, 2, {{77}}), 0) << "a short map is ignored";
}

TEST(HotkeyModifiersTest, GrabsEachLockCombinationAndTriggersOnExactlyTheHeldModifiers) {
    const std::vector<std::uint16_t> all{ctrlShift, ctrlShift | lockMask, ctrlShift | mod2Mask,
                                         ctrlShift | lockMask | mod2Mask};
    EXPECT_EQ(lockVariants(ctrlShift, mod2Mask), all);
    EXPECT_EQ(lockVariants(ctrlSuper, mod4Mask),
              (std::vector<std::uint16_t>{ctrlSuper, ctrlSuper | lockMask}))
        << "NumLock sharing a held modifier";
    EXPECT_TRUE(triggers(ctrlShift, ctrlShift | lockMask | mod2Mask | (1U << 8U), mod2Mask));
    EXPECT_FALSE(triggers(ctrlShift, ctrlShift | mod1Mask, mod2Mask)) << "more modifiers";
    EXPECT_FALSE(triggers(ctrlShift, ctrlShift | mod2Mask, mod3Mask)) << "Mod2 is no lock here";
    EXPECT_FALSE(triggers(ctrlSuper, controlMask, mod4Mask)) << "NumLock's bit held is needed";

    // R and S grabbed with Control-Shift; a third entry on R with Control alone.
    const std::vector<Grab> grabs = {{27, ctrlShift, 0}, {39, ctrlShift, 5}, {27, controlMask, 9}};
    EXPECT_EQ(match(grabs, 39, ctrlShift | lockMask | mod2Mask, mod2Mask), 5U);
    EXPECT_EQ(match(grabs, 27, controlMask | mod2Mask, mod2Mask), 9U);
}

TEST(HotkeyModifiersTest, KeysymOfAKeyLabelIsTheUnshiftedSymbol) {
    EXPECT_EQ(keysymOfKey("7"), 0x37U);
    for (const char* none : {"", "\xC3\x84", "RS"}) {
        EXPECT_EQ(keysymOfKey(none), std::nullopt) << none;
    }
    for (MensorCommand c : allCases<MensorCommand>) {
        const auto keysym = keysymOfKey(shortcut(c).key);
        EXPECT_TRUE(keysym && *keysym >= 0x61U && *keysym <= 0x7AU) << rawValue(c);
    }
}

} // namespace
} // namespace spanlet
