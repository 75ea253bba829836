#include <utility>

#include <spanlet/Commands.hpp>

namespace spanlet {

namespace {

using Modifiers = Shortcut::Modifiers;

struct ModifierText {
    Modifiers member;
    const char* name;
    const char* word;
};

// The order modifiers are always printed and spoken in. Option is the Alt key and command the
// Super key on Linux, so they carry those names.
constexpr std::array<ModifierText, 4> kModifierTexts{{
    {Modifiers::control, "Ctrl", "Control"},
    {Modifiers::option, "Alt", "Alt"},
    {Modifiers::shift, "Shift", "Shift"},
    {Modifiers::command, "Super", "Super"},
}};

struct CommandRow {
    const char* title;
    std::uint32_t keyCode;
    const char* key;
};

// Indexed by MensorCommand; key codes are the ANSI virtual key codes of the letters.
constexpr std::array<CommandRow, allCases<MensorCommand>.size()> kCommands{{
    {"Show or Hide the Ruler", 15, "R"},
    {"Add a Vertical Guide at the Pointer", 9, "V"},
    {"Add a Horizontal Guide at the Pointer", 4, "H"},
    {"Edit Guides", 14, "E"},
    {"Switch Points and Pixels", 32, "U"},
    {"Edge Snapping On or Off", 1, "S"},
    {"Pick a Color", 8, "C"},
    {"Keep This Measurement on Screen", 35, "P"},
    {"Copy the Measurement", 40, "K"},
    {"Clear Kept Measurements", 7, "X"},
}};

const CommandRow& row(MensorCommand c) {
    return kCommands.at(static_cast<std::size_t>(c));
}

} // namespace

std::string Shortcut::display() const {
    std::string text;
    for (const auto& m : kModifierTexts) {
        if (modifiers.contains(m.member)) {
            text += m.name;
            text += '+';
        }
    }
    return text + key;
}

std::string Shortcut::spoken() const {
    std::string text;
    for (const auto& m : kModifierTexts) {
        if (modifiers.contains(m.member)) {
            text += m.word;
            text += ' ';
        }
    }
    return text + key;
}

std::string_view title(MensorCommand c) {
    return row(c).title;
}

Shortcut shortcut(MensorCommand c) {
    const CommandRow& r = row(c);
    return Shortcut{r.keyCode, Modifiers{Modifiers::control, Modifiers::shift}, r.key};
}

} // namespace spanlet
