// The tray menu as data: its entries and what each state enables, retitles and checks. (What an
// entry does is one call each; the tray test clicks one for real.)
#include <gtest/gtest.h>
#include <string>

#include <spanlet/shell/MenuModel.hpp>

namespace spanlet {
namespace {

using Menu::Entry;

/// The menu in `state` as text: each entry's title with its key equivalent, ✓ when checked and
/// (off) when disabled; a separator reads "—". Only the orientation entry and the checked or
/// disabled ones unless `all`.
std::string summary(const Menu::State& state, bool all = false) {
    std::string out;
    for (const Entry& e : Menu::entries(state)) {
        if (all || e.action == Menu::Action::toggleRulerOrientation || !e.enabled || e.checked) {
            out += (out.empty() ? "" : "|") +
                   (e.kind == Menu::EntryKind::separator ? std::string("—") : e.title);
            if (e.key) {
                out += " " + Menu::keyText(*e.key);
            }
            out += std::string(e.checked ? " ✓" : "") + (e.enabled ? "" : " (off)");
        }
    }
    return out;
}

// Global shortcuts show on their entries; Settings and Quit have app keys.
TEST(MenuEntries, FreshMenu) {
    EXPECT_EQ(summary({}, true),
              "Ruler Ctrl+Shift+R|Make Ruler Vertical (off)|Reset Ruler Position|Guides|"
              "Add Vertical Guide Ctrl+Shift+V|Add Horizontal Guide Ctrl+Shift+H|"
              "Edit Guides Ctrl+Shift+E|Show Guides ✓|Clear Guides (off)|Measure|"
              "Edge Snapping Ctrl+Shift+S|Pick Color Ctrl+Shift+C|"
              "Keep Measurement on Screen Ctrl+Shift+P|Copy Measurement Ctrl+Shift+K|"
              "Clear Kept Measurements Ctrl+Shift+X (off)|Measurements…|Colors…|Units|Points ✓|"
              "Pixels|—|Check for Updates…|Settings… Ctrl+,|Welcome and Shortcuts|Spanlet Help|"
              "About Spanlet|—|Quit Spanlet Ctrl+Q");
}

// The entries show the user's bindings: a changed one as changed, a cleared one not at all.
TEST(MenuEntries, UserBindingsShowOnTheirEntries) {
    Menu::State state;
    state.shortcuts.set(
        MensorCommand::toggleRuler,
        userShortcut("9", {Shortcut::Modifiers::option, Shortcut::Modifiers::command}));
    state.shortcuts.set(MensorCommand::pickColor, std::nullopt);
    const std::vector<Entry> entries = Menu::entries(state);
    EXPECT_EQ(Menu::keyText(*entries.front().key), "Alt+Super+9");
    for (const Entry& e : entries) {
        EXPECT_TRUE(e.action != Menu::Action::pickColor || !e.key);
    }
}

TEST(MenuEntries, StateEnablesRetitlesAndChecksEntries) {
    EXPECT_EQ(summary({.rulerVisible = true,
                       .rulerOrientation = RulerOrientation::vertical,
                       .editingGuides = true,
                       .showGuides = false,
                       .hasGuides = true,
                       .snapping = true,
                       .hasKeptMeasurements = true,
                       .unit = MeasureUnit::pixels,
                       .shortcuts = {}}),
              "Ruler Ctrl+Shift+R ✓|Make Ruler Horizontal|Edit Guides Ctrl+Shift+E ✓|"
              "Edge Snapping Ctrl+Shift+S ✓|Pixels ✓");
}

} // namespace
} // namespace spanlet
