#include <gtest/gtest.h>
#include <string>
#include <unordered_set>

#include <spanlet/Commands.hpp>

namespace spanlet {
namespace {

using Modifiers = Shortcut::Modifiers;

struct CommandCase {
    MensorCommand command;
    const char* raw;
    const char* title;
    std::uint32_t keyCode;
    const char* key;
    const char* display;
    const char* spoken;
};

class MensorCommandTest : public ::testing::TestWithParam<CommandCase> {};

TEST_P(MensorCommandTest, TitleAndDefaultShortcut) {
    const auto& c = GetParam();
    EXPECT_EQ(rawValue(c.command), c.raw);
    EXPECT_EQ(id(c.command), c.raw);
    EXPECT_EQ(fromRawValue<MensorCommand>(c.raw), c.command);
    EXPECT_EQ(title(c.command), c.title);

    const Shortcut s = shortcut(c.command);
    EXPECT_EQ(s.keyCode, c.keyCode);
    EXPECT_EQ(s.modifiers.rawValue(), 0x1200U);
    EXPECT_EQ(s.key, c.key);
    EXPECT_EQ(s.display(), c.display);
    EXPECT_EQ(s.spoken(), c.spoken);
}

// Symbols spelled as UTF-8 bytes so the table does not depend on the source encoding:
// ⌃ E2 8C 83, ⇧ E2 87 A7.
#define CS "\xE2\x8C\x83\xE2\x87\xA7"

INSTANTIATE_TEST_SUITE_P(
    Table, MensorCommandTest,
    ::testing::Values(
        CommandCase{MensorCommand::toggleRuler, "toggleRuler", "Show or Hide the Ruler", 15, "R",
                    CS "R", "Control Shift R"},
        CommandCase{MensorCommand::addVerticalGuide, "addVerticalGuide",
                    "Add a Vertical Guide at the Pointer", 9, "V", CS "V", "Control Shift V"},
        CommandCase{MensorCommand::addHorizontalGuide, "addHorizontalGuide",
                    "Add a Horizontal Guide at the Pointer", 4, "H", CS "H", "Control Shift H"},
        CommandCase{MensorCommand::editGuides, "editGuides", "Edit Guides", 14, "E", CS "E",
                    "Control Shift E"},
        CommandCase{MensorCommand::toggleUnit, "toggleUnit", "Switch Points and Pixels", 32, "U",
                    CS "U", "Control Shift U"},
        CommandCase{MensorCommand::toggleSnapping, "toggleSnapping", "Edge Snapping On or Off", 1,
                    "S", CS "S", "Control Shift S"},
        CommandCase{MensorCommand::pickColor, "pickColor", "Pick a Color", 8, "C", CS "C",
                    "Control Shift C"},
        CommandCase{MensorCommand::pinMeasurement, "pinMeasurement",
                    "Keep This Measurement on Screen", 35, "P", CS "P", "Control Shift P"},
        CommandCase{MensorCommand::copyMeasurement, "copyMeasurement", "Copy the Measurement", 40,
                    "K", CS "K", "Control Shift K"},
        CommandCase{MensorCommand::clearMeasurements, "clearMeasurements",
                    "Clear Kept Measurements", 7, "X", CS "X", "Control Shift X"}),
    [](const auto& row) { return std::string(row.param.raw); });

#undef CS

TEST(MensorCommandTest, CasesInTableOrder) {
    const auto& cases = allCases<MensorCommand>;
    ASSERT_EQ(cases.size(), 10U);
    EXPECT_EQ(cases.front(), MensorCommand::toggleRuler);
    EXPECT_EQ(cases[7], MensorCommand::pinMeasurement);
    EXPECT_EQ(cases.back(), MensorCommand::clearMeasurements);

    // Every default is distinct, so no two commands grab the same key.
    std::unordered_set<Shortcut> shortcuts;
    for (MensorCommand c : cases) {
        shortcuts.insert(shortcut(c));
    }
    EXPECT_EQ(shortcuts.size(), cases.size());
}

TEST(MensorCommandTest, RawValuesAreExact) {
    EXPECT_EQ(fromRawValue<MensorCommand>("ToggleRuler"), std::nullopt);
    EXPECT_EQ(fromRawValue<MensorCommand>("toggleruler"), std::nullopt);
    EXPECT_EQ(fromRawValue<MensorCommand>("toggleRuler "), std::nullopt);
    EXPECT_EQ(fromRawValue<MensorCommand>(""), std::nullopt);
}

TEST(ShortcutTest, ModifierSetOperations) {
    EXPECT_EQ(Modifiers::command.rawValue(), 0x100U);
    EXPECT_EQ(Modifiers::shift.rawValue(), 0x200U);
    EXPECT_EQ(Modifiers::option.rawValue(), 0x800U);
    EXPECT_EQ(Modifiers::control.rawValue(), 0x1000U);

    const Modifiers controlShift{Modifiers::control, Modifiers::shift};
    EXPECT_EQ(controlShift, Modifiers(0x1200U));
    EXPECT_EQ(Modifiers::control.unionWith(Modifiers::shift), controlShift);
    EXPECT_EQ(Modifiers::control | Modifiers::shift, controlShift);
    EXPECT_EQ(controlShift.intersection(Modifiers{Modifiers::shift, Modifiers::option}),
              Modifiers::shift);
    EXPECT_TRUE((controlShift & Modifiers::command).isEmpty());
    EXPECT_TRUE(controlShift.contains(Modifiers::control));
    EXPECT_TRUE(controlShift.contains(controlShift));
    EXPECT_FALSE(controlShift.contains(Modifiers::option));
    EXPECT_FALSE(controlShift.contains(Modifiers{Modifiers::shift, Modifiers::option}));
    EXPECT_TRUE(Modifiers{}.isEmpty());

    Modifiers m;
    m.insert(Modifiers::option);
    m.insert(Modifiers::option);
    EXPECT_EQ(m, Modifiers::option);
    m.insert(Modifiers::command);
    m.remove(Modifiers::option);
    m.remove(Modifiers::shift); // absent: no change
    EXPECT_EQ(m, Modifiers::command);
}

struct DisplayCase {
    const char* name;
    Modifiers modifiers;
    const char* key;
    const char* display;
    const char* spoken;
};

class ShortcutTextTest : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(ShortcutTextTest, DisplayAndSpoken) {
    const auto& c = GetParam();
    const Shortcut s{0, c.modifiers, c.key};
    EXPECT_EQ(s.display(), c.display);
    EXPECT_EQ(s.spoken(), c.spoken);
}

INSTANTIATE_TEST_SUITE_P(Cases, ShortcutTextTest,
                         ::testing::Values(
                             // ⌃ ⌥ ⇧ ⌘ as UTF-8, whatever order the set was written in.
                             DisplayCase{"all_four",
                                         {Modifiers::command, Modifiers::shift, Modifiers::option,
                                          Modifiers::control},
                                         "A",
                                         "\xE2\x8C\x83\xE2\x8C\xA5\xE2\x87\xA7\xE2\x8C\x98"
                                         "A",
                                         "Control Option Shift Command A"},
                             DisplayCase{"none", {}, "A", "A", "A"},
                             DisplayCase{"option_command", Modifiers(0x900U), "Q",
                                         "\xE2\x8C\xA5\xE2\x8C\x98"
                                         "Q",
                                         "Option Command Q"},
                             // Bits outside the four members print nothing.
                             DisplayCase{"unknown_bits_ignored", Modifiers(0x0201U), "Z",
                                         "\xE2\x87\xA7"
                                         "Z",
                                         "Shift Z"}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(ShortcutTest, EqualityAndHashOverAllFields) {
    const Shortcut s = shortcut(MensorCommand::toggleRuler);
    EXPECT_EQ(s, (Shortcut{15, Modifiers(0x1200U), "R"}));
    EXPECT_NE(s, (Shortcut{16, Modifiers(0x1200U), "R"}));
    EXPECT_NE(s, (Shortcut{15, Modifiers::control, "R"}));
    EXPECT_NE(s, (Shortcut{15, Modifiers(0x1200U), "r"}));
    EXPECT_EQ(std::hash<Shortcut>{}(s),
              std::hash<Shortcut>{}(Shortcut{15, Modifiers(0x1200U), "R"}));
}

} // namespace
} // namespace spanlet
