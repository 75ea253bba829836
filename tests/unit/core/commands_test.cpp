#include <gtest/gtest.h>
#include <string>
#include <unordered_set>

#include <spanlet/Commands.hpp>

namespace spanlet {
namespace {

using Modifiers = Shortcut::Modifiers;

// Symbols spelled as UTF-8 bytes so the expectations do not depend on the source encoding:
// ⌃ E2 8C 83, ⌥ E2 8C A5, ⇧ E2 87 A7, ⌘ E2 8C 98.
#define CTRL "\xE2\x8C\x83"
#define OPT "\xE2\x8C\xA5"
#define SHIFT "\xE2\x87\xA7"
#define CMD "\xE2\x8C\x98"

TEST(MensorCommandTest, TitlesAndDistinctControlShiftDefaults) {
    EXPECT_EQ(title(MensorCommand::toggleRuler), "Show or Hide the Ruler");
    EXPECT_EQ(title(MensorCommand::copyMeasurement), "Copy the Measurement");
    const Shortcut ruler = shortcut(MensorCommand::toggleRuler);
    EXPECT_EQ(ruler.keyCode, 15U);
    EXPECT_EQ(ruler.modifiers.rawValue(), 0x1200U);
    EXPECT_EQ(ruler.display(), CTRL SHIFT "R");
    EXPECT_EQ(ruler.spoken(), "Control Shift R");
    EXPECT_EQ(shortcut(MensorCommand::copyMeasurement).keyCode, 40U);
    EXPECT_EQ(fromRawValue<MensorCommand>("ToggleRuler"), std::nullopt);

    std::unordered_set<Shortcut> shortcuts; // no two commands grab the same key
    for (MensorCommand c : allCases<MensorCommand>) {
        shortcuts.insert(shortcut(c));
    }
    EXPECT_EQ(shortcuts.size(), allCases<MensorCommand>.size());
}

TEST(ShortcutTextTest, ModifiersInFixedOrder) {
    // Written in another order than printed.
    const Shortcut all{
        0, {Modifiers::command, Modifiers::shift, Modifiers::option, Modifiers::control}, "A"};
    EXPECT_EQ(all.display(), CTRL OPT SHIFT CMD "A");
    EXPECT_EQ(all.spoken(), "Control Option Shift Command A");
    const Shortcut none{0, {}, "A"};
    EXPECT_EQ(none.display(), "A");
    EXPECT_EQ(none.spoken(), "A");
    const Shortcut unknownBits{0, Modifiers(0x0201U), "A"}; // only shift is a member
    EXPECT_EQ(unknownBits.display(), SHIFT "A");
    EXPECT_EQ(unknownBits.spoken(), "Shift A");
}

#undef CTRL
#undef OPT
#undef SHIFT
#undef CMD

} // namespace
} // namespace spanlet
