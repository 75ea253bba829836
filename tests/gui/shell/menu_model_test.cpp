// The tray menu as data: entries, enabled states, check marks and key equivalents for each
// state the menu has to show, and what the entries do to the model.
#include <algorithm>
#include <gtest/gtest.h>
#include <ostream>

#include <spanlet/shell/MenuModel.hpp>

#include "../../unit/model/ModelFixture.hpp"

namespace spanlet::testing {
namespace {

using Menu::Action;
using Menu::Entry;
using Menu::EntryKind;

const Entry* find(const std::vector<Entry>& entries, const std::string& title) {
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [&](const Entry& e) { return e.title == title; });
    return found == entries.end() ? nullptr : &*found;
}

std::vector<std::string> titles(const std::vector<Entry>& entries) {
    std::vector<std::string> result;
    for (const Entry& e : entries) {
        result.push_back(e.kind == EntryKind::separator ? "—" : e.title);
    }
    return result;
}

TEST(MenuEntries, ListsEveryEntryInOrder) {
    const std::vector<std::string> expected{"Ruler",
                                            "Make Ruler Vertical",
                                            "Reset Ruler Position",
                                            "Guides",
                                            "Add Vertical Guide",
                                            "Add Horizontal Guide",
                                            "Edit Guides",
                                            "Show Guides",
                                            "Clear Guides",
                                            "Measure",
                                            "Edge Snapping",
                                            "Pick Color",
                                            "Keep Measurement on Screen",
                                            "Copy Measurement",
                                            "Clear Kept Measurements",
                                            "Measurements…",
                                            "Colors…",
                                            "Units",
                                            "Points",
                                            "Pixels",
                                            "—",
                                            "Check for Updates…",
                                            "Settings…",
                                            "Welcome and Shortcuts",
                                            "Spanlet Help",
                                            "About Spanlet",
                                            "—",
                                            "Quit Spanlet"};
    EXPECT_EQ(titles(Menu::entries(Menu::State{})), expected);
}

TEST(MenuEntries, GlobalShortcutsShowAsLowerCaseKeyWithTheirModifiers) {
    const auto entries = Menu::entries(Menu::State{});
    const Shortcut::Modifiers ctrlShift{Shortcut::Modifiers::control, Shortcut::Modifiers::shift};
    const std::vector<std::pair<std::string, char>> expected{{"Ruler", 'r'},
                                                             {"Clear Kept Measurements", 'x'}};
    for (const auto& [title, key] : expected) {
        const Entry* e = find(entries, title);
        ASSERT_NE(e, nullptr) << title;
        ASSERT_TRUE(e->key.has_value()) << title;
        EXPECT_EQ(e->key->key, key) << title;
        EXPECT_EQ(e->key->modifiers, ctrlShift) << title;
    }
    EXPECT_EQ(find(entries, "Settings…")->key,
              (Menu::KeyEquivalent{',', Shortcut::Modifiers::command}));
    EXPECT_EQ(find(entries, "Quit Spanlet")->key,
              (Menu::KeyEquivalent{'q', Shortcut::Modifiers::command}));
    EXPECT_FALSE(find(entries, "Make Ruler Vertical")->key.has_value());
}

/// One state of the model and what the state-dependent entries must show in it.
struct StateCase {
    const char* name;
    Menu::State state;
    const char* orientationTitle;
    bool orientationEnabled;
    bool clearGuidesEnabled;
    bool clearKeptEnabled;
    bool rulerChecked;
    bool editChecked;
    bool showGuidesChecked;
    bool snappingChecked;
    bool pointsChecked;
};

void PrintTo(const StateCase& c, std::ostream* os) {
    *os << c.name;
}

class MenuStates : public ::testing::TestWithParam<StateCase> {};

TEST_P(MenuStates, ShowsTheState) {
    const StateCase& c = GetParam();
    const auto entries = Menu::entries(c.state);
    const Entry* orientation = find(entries, c.orientationTitle);
    ASSERT_NE(orientation, nullptr);
    EXPECT_EQ(orientation->enabled, c.orientationEnabled);
    EXPECT_EQ(orientation->action, Action::toggleRulerOrientation);
    EXPECT_EQ(find(entries, "Clear Guides")->enabled, c.clearGuidesEnabled);
    EXPECT_EQ(find(entries, "Clear Kept Measurements")->enabled, c.clearKeptEnabled);
    EXPECT_EQ(find(entries, "Ruler")->checked, c.rulerChecked);
    EXPECT_EQ(find(entries, "Edit Guides")->checked, c.editChecked);
    EXPECT_EQ(find(entries, "Show Guides")->checked, c.showGuidesChecked);
    EXPECT_EQ(find(entries, "Edge Snapping")->checked, c.snappingChecked);
    EXPECT_EQ(find(entries, "Points")->checked, c.pointsChecked);
    EXPECT_EQ(find(entries, "Pixels")->checked, !c.pointsChecked);
    // Everything else is always enabled.
    for (const Entry& e : entries) {
        if (&e != orientation && e.title != "Clear Guides" &&
            e.title != "Clear Kept Measurements") {
            EXPECT_TRUE(e.enabled) << e.title;
        }
    }
}

Menu::State with(void (*edit)(Menu::State&)) {
    Menu::State s;
    edit(s);
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    , MenuStates,
    ::testing::Values(
        StateCase{"fresh", Menu::State{}, "Make Ruler Vertical", false, false, false, false, false,
                  true, false, true},
        StateCase{"rulerHiddenVerticalSaved",
                  with([](Menu::State& s) { s.rulerOrientation = RulerOrientation::vertical; }),
                  "Make Ruler Horizontal", false, false, false, false, false, true, false, true},

        StateCase{"rulerShownVertical", with([](Menu::State& s) {
                      s.rulerVisible = true;
                      s.rulerOrientation = RulerOrientation::vertical;
                  }),
                  "Make Ruler Horizontal", true, false, false, true, false, true, false, true},
        StateCase{"guidesAndKeptMeasurements", with([](Menu::State& s) {
                      s.hasGuides = true;
                      s.hasKeptMeasurements = true;
                  }),
                  "Make Ruler Vertical", false, true, true, false, false, true, false, true},
        StateCase{"editingHiddenGuidesSnappingPixels", with([](Menu::State& s) {
                      s.editingGuides = true;
                      s.showGuides = false;
                      s.snapping = true;
                      s.unit = MeasureUnit::pixels;
                  }),
                  "Make Ruler Vertical", false, false, false, false, true, false, true, false}),
    [](const auto& row) { return std::string(row.param.name); });

/// Records what reaches the platform.
struct RecordingPlatform : Menu::Platform {
    std::vector<std::string> calls;
    void openWindow(Windows::Kind kind) override {
        calls.push_back("open " + std::string(Windows::rawValue(kind)));
    }
    void checkForUpdates() override { calls.push_back("updates"); }
    void openHelp() override { calls.push_back("help"); }
    void about() override { calls.push_back("about"); }
    void quit() override { calls.push_back("quit"); }
};

class MenuActions : public ModelTest {
protected:
    void SetUp() override {
        addDisplay(1, {0, 0, 1440, 900}, 2, boxScene({200, 120, 60, 40}, 2));
        pointAt({230, 140});
    }
    RecordingPlatform recorder;
};

TEST_F(MenuActions, EntriesChangeTheModel) {
    Mensor& m = started();
    Menu::perform(Action::toggleRuler, m, recorder);
    EXPECT_TRUE(*m.rulerVisible());
    Menu::perform(Action::toggleRulerOrientation, m, recorder);
    EXPECT_EQ(m.prefs()->rulerOrientation, RulerOrientation::vertical);
    Menu::perform(Action::showGuides, m, recorder);
    EXPECT_FALSE(m.prefs()->showGuides);
    Menu::perform(Action::showGuides, m, recorder);
    EXPECT_TRUE(m.prefs()->showGuides);
    Menu::perform(Action::addHorizontalGuide, m, recorder);
    EXPECT_FALSE(m.prefs()->guides.isEmpty());
    Menu::perform(Action::clearGuides, m, recorder);
    EXPECT_TRUE(m.prefs()->guides.isEmpty());
    EXPECT_EQ(toastText(), "Guides cleared");
    Menu::perform(Action::unitPixels, m, recorder);
    EXPECT_EQ(m.prefs()->unit, MeasureUnit::pixels);
    Menu::perform(Action::unitPixels, m, recorder); // a choice, not a toggle
    EXPECT_EQ(m.prefs()->unit, MeasureUnit::pixels);
    Menu::perform(Action::unitPoints, m, recorder);
    EXPECT_EQ(m.prefs()->unit, MeasureUnit::points);
    Menu::perform(Action::editGuides, m, recorder);
    EXPECT_TRUE(*m.editingGuides());
    Menu::perform(Action::editGuides, m, recorder);
    EXPECT_FALSE(*m.editingGuides());
    Menu::perform(Action::toggleSnapping, m, recorder);
    EXPECT_TRUE(*m.snapping());
    EXPECT_TRUE(recorder.calls.empty());
    ASSERT_TRUE(platform.saved().has_value());
    EXPECT_EQ(platform.saved()->rulerOrientation, RulerOrientation::vertical);
}

TEST_F(MenuActions, ClearKeptMeasurementsRemovesThemWithAMessage) {
    Mensor& m = started();
    m.enableSnapping();
    advance(0ms);
    Menu::perform(Action::pinMeasurement, m, recorder);
    ASSERT_EQ(m.pinned()->size(), 1U);
    Menu::perform(Action::clearMeasurements, m, recorder);
    EXPECT_TRUE(m.pinned()->empty());
    EXPECT_EQ(toastText(), "Measurements cleared");
}

TEST_F(MenuActions, PlatformEntriesReachThePlatform) {
    Mensor& m = started();
    for (Action a : {Action::openMeasurements, Action::openColors, Action::checkForUpdates,
                     Action::openSettings, Action::openWelcome, Action::openHelp, Action::about,
                     Action::quit}) {
        Menu::perform(a, m, recorder);
    }
    EXPECT_EQ(recorder.calls,
              (std::vector<std::string>{"open measurements", "open colors", "updates",
                                        "open settings", "open welcome", "help", "about", "quit"}));
    EXPECT_TRUE(platform.windows.opened.empty()); // only through the platform
}

TEST_F(MenuActions, SnappingWithoutPermissionOpensTheExplainer) {
    Mensor& m = started();
    platform.permission.granted = false;
    Menu::perform(Action::toggleSnapping, m, recorder);
    EXPECT_FALSE(*m.snapping());
    EXPECT_EQ(platform.windows.opened, std::vector<Windows::Kind>{Windows::Kind::explainer});
}

TEST_F(MenuActions, ResetRulerShowsAHiddenRuler) {
    Mensor& m = started();
    Menu::perform(Action::resetRuler, m, recorder);
    EXPECT_TRUE(*m.rulerVisible());
    EXPECT_FALSE(m.prefs()->rulerX.has_value());
}

} // namespace
} // namespace spanlet::testing
