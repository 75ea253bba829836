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
    ::testing::Values(CommandCase{MensorCommand::toggleRuler, "toggleRuler",
                                  "Show or Hide the Ruler", 15, "R", CS "R", "Control Shift R"},
                      CommandCase{MensorCommand::copyMeasurement, "copyMeasurement",
                                  "Copy the Measurement", 40, "K", CS "K", "Control Shift K"}),
    [](const auto& row) { return std::string(row.param.raw); });

#undef CS

TEST(MensorCommandTest, DefaultsAreDistinct) {
    // No two commands grab the same key.
    const auto& cases = allCases<MensorCommand>;
    std::unordered_set<Shortcut> shortcuts;
    for (MensorCommand c : cases) {
        shortcuts.insert(shortcut(c));
    }
    EXPECT_EQ(shortcuts.size(), cases.size());
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

} // namespace
} // namespace spanlet
