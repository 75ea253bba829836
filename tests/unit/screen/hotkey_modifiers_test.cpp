#include <cstdint>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <spanlet/screen/HotkeyModifiers.hpp>

namespace spanlet {
namespace {

using namespace HotkeyModifiers;
using M = Shortcut::Modifiers;

constexpr std::uint16_t ctrlShift = controlMask | shiftMask;
constexpr std::uint16_t button1 = 1U << 8U;
constexpr std::uint16_t group2 = 1U << 13U;

// --- Shortcut modifiers to X11 masks -------------------------------------------------------

struct MaskCase {
    const char* name;
    M modifiers;
    std::uint16_t mask;
};

void PrintTo(const MaskCase& c, std::ostream* os) {
    *os << c.name;
}

class X11MaskTest : public ::testing::TestWithParam<MaskCase> {};

TEST_P(X11MaskTest, MapsEachModifierToItsX11Bit) {
    EXPECT_EQ(x11Mask(GetParam().modifiers), GetParam().mask);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, X11MaskTest,
    ::testing::Values(MaskCase{"none", M{}, 0},

                      MaskCase{"option_is_mod1", M::option, mod1Mask},
                      MaskCase{"command_is_mod4", M::command, mod4Mask},
                      MaskCase{"default_control_shift", M{M::control, M::shift}, 5},

                      MaskCase{"unknown_bits_ignored", M(0x1200U | 0x1U | 0x400U), 5}),
    [](const auto& row) { return std::string(row.param.name); });

// --- NumLock from the modifier map ---------------------------------------------------------

struct NumLockCase {
    const char* name;
    std::vector<std::uint8_t> map;
    std::size_t perModifier;
    std::vector<std::uint8_t> numLockKeys;
    std::uint16_t mask;
};

void PrintTo(const NumLockCase& c, std::ostream* os) {
    *os << c.name;
}

class NumLockMaskTest : public ::testing::TestWithParam<NumLockCase> {};

TEST_P(NumLockMaskTest, FindsTheRowHoldingNumLock) {
    const auto& c = GetParam();
    EXPECT_EQ(numLockMask(c.map, c.perModifier, c.numLockKeys), c.mask);
}

// Rows: shift, lock, control, mod1 … mod5; two slots each. 77 is Num_Lock on a pc105 keymap.
INSTANTIATE_TEST_SUITE_P(
    Cases, NumLockMaskTest,
    ::testing::Values(
        NumLockCase{"usual_mod2",
                    {50, 62, 66, 0, 37, 105, 64, 108, 77, 0, 0, 0, 133, 134, 92, 0},
                    2,
                    {77},
                    mod2Mask},

        NumLockCase{"several_numlock_keycodes",
                    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 200, 0},
                    2,
                    {77, 200},
                    mod5Mask},
        NumLockCase{"numlock_not_bound",
                    {50, 0, 66, 0, 37, 0, 64, 0, 0, 0, 0, 0, 133, 0, 0, 0},
                    2,
                    {77},
                    0},

        NumLockCase{"empty_slots_never_match_keycode_zero", {0, 0, 0, 0, 0, 0, 0, 0}, 1, {0}, 0},
        NumLockCase{"short_map_is_ignored", {77, 77, 77}, 2, {77}, 0},
        NumLockCase{"zero_slots_per_row", {}, 0, {77}, 0}),
    [](const auto& row) { return std::string(row.param.name); });

// --- Lock variants to grab -----------------------------------------------------------------

struct VariantCase {
    const char* name;
    std::uint16_t grabbed;
    std::uint16_t numLock;
    std::vector<std::uint16_t> variants;
};

void PrintTo(const VariantCase& c, std::ostream* os) {
    *os << c.name;
}

class LockVariantsTest : public ::testing::TestWithParam<VariantCase> {};

TEST_P(LockVariantsTest, GrabsEachLockCombinationOnce) {
    const auto& c = GetParam();
    EXPECT_EQ(lockVariants(c.grabbed, c.numLock), c.variants);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LockVariantsTest,
    ::testing::Values(
        VariantCase{"none_caps_num_both",
                    ctrlShift,
                    mod2Mask,
                    {ctrlShift, ctrlShift | lockMask, ctrlShift | mod2Mask,
                     ctrlShift | lockMask | mod2Mask}},
        VariantCase{"numlock_unbound_gives_two", ctrlShift, 0, {ctrlShift, ctrlShift | lockMask}},
        VariantCase{"numlock_on_lock_row_gives_two",
                    ctrlShift,
                    lockMask,
                    {ctrlShift, ctrlShift | lockMask}},
        VariantCase{"numlock_sharing_a_held_modifier_is_not_added",
                    controlMask | mod4Mask,
                    mod4Mask,
                    {controlMask | mod4Mask, controlMask | mod4Mask | lockMask}},
        VariantCase{"no_modifiers", 0, mod2Mask, {0, lockMask, mod2Mask, lockMask | mod2Mask}}),
    [](const auto& row) { return std::string(row.param.name); });

// --- Which key presses trigger a grabbed combination ---------------------------------------

struct TriggerCase {
    const char* name;
    std::uint16_t grabbed;
    std::uint16_t state;
    std::uint16_t numLock;
    bool triggers;
};

void PrintTo(const TriggerCase& c, std::ostream* os) {
    *os << c.name;
}

class TriggersTest : public ::testing::TestWithParam<TriggerCase> {};

TEST_P(TriggersTest, MatchesExactlyTheHeldModifiers) {
    const auto& c = GetParam();
    EXPECT_EQ(triggers(c.grabbed, c.state, c.numLock), c.triggers);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TriggersTest,
    ::testing::Values(TriggerCase{"mods_plus_key_triggers_mods_plus_key", ctrlShift, ctrlShift,
                                  mod2Mask, true},

                      TriggerCase{"with_both_locks_on", ctrlShift, ctrlShift | lockMask | mod2Mask,
                                  mod2Mask, true},
                      TriggerCase{"with_a_button_held_and_second_group", ctrlShift,
                                  ctrlShift | button1 | group2, mod2Mask, true},
                      TriggerCase{"mod_plus_key_does_not_trigger_mods_plus_key", ctrlShift,
                                  controlMask, mod2Mask, false},
                      TriggerCase{"mods_plus_key_does_not_trigger_more_mods_plus_key", ctrlShift,
                                  ctrlShift | mod1Mask, mod2Mask, false},

                      TriggerCase{"mod2_is_held_modifier_when_numlock_is_elsewhere", ctrlShift,
                                  ctrlShift | mod2Mask, mod3Mask, false},
                      TriggerCase{"mod2_is_held_modifier_when_numlock_unbound", ctrlShift,
                                  ctrlShift | mod2Mask, 0, false},
                      TriggerCase{"no_modifiers_triggers_bare_key", 0, lockMask, mod2Mask, true},

                      TriggerCase{"numlock_sharing_held_modifier_must_be_held",
                                  controlMask | mod4Mask, controlMask, mod4Mask, false},
                      TriggerCase{"numlock_sharing_held_modifier_held", controlMask | mod4Mask,
                                  controlMask | mod4Mask | lockMask, mod4Mask, true}),
    [](const auto& row) { return std::string(row.param.name); });

// --- Key symbols of shortcut labels --------------------------------------------------------

struct KeysymCase {
    const char* name;
    const char* key;
    std::optional<std::uint32_t> keysym;
};

void PrintTo(const KeysymCase& c, std::ostream* os) {
    *os << c.name;
}

class KeysymOfKeyTest : public ::testing::TestWithParam<KeysymCase> {};

TEST_P(KeysymOfKeyTest, GivesTheUnshiftedSymbol) {
    EXPECT_EQ(keysymOfKey(GetParam().key), GetParam().keysym);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeysymOfKeyTest,
    ::testing::Values(KeysymCase{"upper_case_letter_is_lower_case_keysym", "R", 0x72U},

                      KeysymCase{"digit", "7", 0x37U}, KeysymCase{"empty", "", std::nullopt},

                      KeysymCase{"punctuation", ",", std::nullopt},
                      KeysymCase{"non_ascii", "\xC3\x84", std::nullopt}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(KeysymOfKeyTest, EveryDefaultShortcutHasALetterKeysym) {
    for (MensorCommand c : allCases<MensorCommand>) {
        const auto keysym = keysymOfKey(shortcut(c).key);
        ASSERT_TRUE(keysym.has_value()) << rawValue(c);
        EXPECT_GE(*keysym, 0x61U);
        EXPECT_LE(*keysym, 0x7AU);
    }
}

// --- Matching a key press against the grabbed table ----------------------------------------

TEST(MatchTest, PicksTheGrabOfTheKeyAndModifiers) {
    // R and S grabbed with Control-Shift; a third entry on R with Control alone.
    const std::vector<Grab> grabs = {{27, ctrlShift, 0}, {39, ctrlShift, 5}, {27, controlMask, 9}};
    EXPECT_EQ(match(grabs, 27, ctrlShift, mod2Mask), 0U);
    EXPECT_EQ(match(grabs, 39, ctrlShift | lockMask | mod2Mask, mod2Mask), 5U);
    EXPECT_EQ(match(grabs, 27, controlMask | mod2Mask, mod2Mask), 9U);
    EXPECT_EQ(match(grabs, 27, ctrlShift | mod1Mask, mod2Mask), std::nullopt);
    EXPECT_EQ(match(grabs, 28, ctrlShift, mod2Mask), std::nullopt);
    EXPECT_EQ(match(std::vector<Grab>{}, 27, ctrlShift, mod2Mask), std::nullopt);
}

TEST(MatchTest, EveryLockVariantMatchesItsGrab) {
    const std::vector<Grab> grabs = {{27, ctrlShift, 3}};
    for (std::uint16_t variant : lockVariants(ctrlShift, mod2Mask)) {
        EXPECT_EQ(match(grabs, 27, variant, mod2Mask), 3U) << variant;
    }
}

} // namespace
} // namespace spanlet
