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
                out += " " + Shortcut{0, e.key->modifiers, std::string(1, e.key->key)}.display();
            }
            out += std::string(e.checked ? " ✓" : "") + (e.enabled ? "" : " (off)");
        }
    }
    return out;
}

// Global shortcuts show on their entries in lower case; Settings and Quit have app keys.
TEST(MenuEntries, FreshMenu) {
    EXPECT_EQ(summary({}, true),
              "Ruler ⌃⇧r|Make Ruler Vertical (off)|Reset Ruler Position|Guides|"
              "Add Vertical Guide ⌃⇧v|Add Horizontal Guide ⌃⇧h|Edit Guides ⌃⇧e|Show Guides ✓|"
              "Clear Guides (off)|Measure|Edge Snapping ⌃⇧s|Pick Color ⌃⇧c|"
              "Keep Measurement on Screen ⌃⇧p|Copy Measurement ⌃⇧k|"
              "Clear Kept Measurements ⌃⇧x (off)|Measurements…|Colors…|Units|Points ✓|Pixels|—|"
              "Check for Updates…|Settings… ⌘,|Welcome and Shortcuts|Spanlet Help|About Spanlet|"
              "—|Quit Spanlet ⌘q");
}

TEST(MenuEntries, StateEnablesRetitlesAndChecksEntries) {
    EXPECT_EQ(summary({.rulerVisible = true,
                       .rulerOrientation = RulerOrientation::vertical,
                       .editingGuides = true,
                       .showGuides = false,
                       .hasGuides = true,
                       .snapping = true,
                       .hasKeptMeasurements = true,
                       .unit = MeasureUnit::pixels}),
              "Ruler ⌃⇧r ✓|Make Ruler Horizontal|Edit Guides ⌃⇧e ✓|Edge Snapping ⌃⇧s ✓|Pixels ✓");
}

} // namespace
} // namespace spanlet
