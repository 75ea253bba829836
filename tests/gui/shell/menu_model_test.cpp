// The tray menu as data: its entries, what each state enables and checks, and what the entries
// do to the model.
#include <gtest/gtest.h>

#include <spanlet/shell/MenuModel.hpp>

#include "../../unit/model/ModelFixture.hpp"

namespace spanlet::testing {
namespace {

using Menu::Action;
using Menu::Entry;

/// The menu in `state` as text: each entry's title with its key equivalent, ✓ when checked and
/// (off) when disabled; a separator reads "—". Only the orientation entry and the checked or
/// disabled ones unless `all`.
std::string summary(const Menu::State& state, bool all = false) {
    std::string out;
    for (const Entry& e : Menu::entries(state)) {
        if (all || e.action == Action::toggleRulerOrientation || !e.enabled || e.checked) {
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

TEST(MenuEntries, StatesDisableAndCheckTheRightEntries) {
    using RO = RulerOrientation;
    const struct {
        Menu::State state;
        const char* expected;
    } rows[] = {
        {{.rulerOrientation = RO::vertical},
         "Make Ruler Horizontal (off)|Show Guides ✓|Clear Guides (off)|"
         "Clear Kept Measurements ⌃⇧x (off)|Points ✓"},
        {{.rulerVisible = true, .rulerOrientation = RO::vertical},
         "Ruler ⌃⇧r ✓|Make Ruler Horizontal|Show Guides ✓|Clear Guides (off)|"
         "Clear Kept Measurements ⌃⇧x (off)|Points ✓"},
        {{.hasGuides = true, .hasKeptMeasurements = true},
         "Make Ruler Vertical (off)|Show Guides ✓|Points ✓"},
        {{.editingGuides = true,
          .showGuides = false,
          .snapping = true,
          .unit = MeasureUnit::pixels},
         "Make Ruler Vertical (off)|Edit Guides ⌃⇧e ✓|Clear Guides (off)|Edge Snapping ⌃⇧s ✓|"
         "Clear Kept Measurements ⌃⇧x (off)|Pixels ✓"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(summary(r.state), r.expected);
    }
}

/// Records what reaches the platform.
struct RecordingPlatform : Menu::Platform {
    std::string calls;
    void openWindow(Windows::Kind kind) override {
        calls += "open " + std::string(Windows::rawValue(kind));
    }
    void checkForUpdates() override { calls += "updates"; }
    void openHelp() override { calls += "help"; }
    void about() override { calls += "about"; }
    void quit() override { calls += "quit"; }
};

class MenuActions : public ModelTest {
protected:
    void SetUp() override {
        addDisplay(1, {0, 0, 1440, 900}, 2, boxScene({200, 120, 60, 40}, 2));
        pointAt({230, 140});
    }
    void perform(Action a) { Menu::perform(a, *model, recorder); }
    RecordingPlatform recorder;
};

TEST_F(MenuActions, EachEntryReachesTheModelOrThePlatform) {
    using S = Menu::State;
    // Each entry in turn, with how the menu's state changes or what reaches the platform.
    const struct {
        Action action;
        void (*change)(S&);
        const char* call;
    } steps[] = {
        {Action::resetRuler, [](S& s) { s.rulerVisible = true; }, ""}, // shows a hidden ruler
        {Action::toggleRuler, [](S& s) { s.rulerVisible = false; }, ""},
        {Action::toggleRulerOrientation,
         [](S& s) { s.rulerOrientation = RulerOrientation::vertical; }, ""},
        {Action::addHorizontalGuide, [](S& s) { s.hasGuides = true; }, ""},
        {Action::clearGuides, [](S& s) { s.hasGuides = false; }, ""},
        {Action::addVerticalGuide, [](S& s) { s.hasGuides = true; }, ""},
        {Action::showGuides, [](S& s) { s.showGuides = false; }, ""},
        {Action::showGuides, [](S& s) { s.showGuides = true; }, ""},
        {Action::unitPixels, [](S& s) { s.unit = MeasureUnit::pixels; }, ""},
        {Action::unitPixels, [](S&) {}, ""}, // a choice, not a toggle
        {Action::unitPoints, [](S& s) { s.unit = MeasureUnit::points; }, ""},
        {Action::editGuides, [](S& s) { s.editingGuides = true; }, ""},
        {Action::editGuides, [](S& s) { s.editingGuides = false; }, ""},
        {Action::toggleSnapping, [](S& s) { s.snapping = true; }, ""},
        {Action::pinMeasurement, [](S& s) { s.hasKeptMeasurements = true; }, ""},
        {Action::clearMeasurements, [](S& s) { s.hasKeptMeasurements = false; }, ""},
        {Action::openMeasurements, [](S&) {}, "open measurements"},
        {Action::openColors, [](S&) {}, "open colors"},
        {Action::checkForUpdates, [](S&) {}, "updates"},
        {Action::openSettings, [](S&) {}, "open settings"},
        {Action::openWelcome, [](S&) {}, "open welcome"},
        {Action::openHelp, [](S&) {}, "help"},
        {Action::about, [](S&) {}, "about"},
        {Action::quit, [](S&) {}, "quit"},
    };
    S expected = Menu::state(started());
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        recorder.calls.clear();
        perform(steps[i].action);
        advance(0ms);
        steps[i].change(expected);
        EXPECT_EQ(Menu::state(*model), expected);
        EXPECT_EQ(recorder.calls, steps[i].call);
    }
    EXPECT_TRUE(platform.windows.opened.empty()) << "windows open through the platform only";

    // Edge snapping without the permission opens the explainer instead.
    model->disableSnapping();
    platform.permission.granted = false;
    perform(Action::toggleSnapping);
    EXPECT_FALSE(*model->snapping());
    EXPECT_EQ(platform.windows.opened, std::vector<Windows::Kind>{Windows::Kind::explainer});
}

} // namespace
} // namespace spanlet::testing
