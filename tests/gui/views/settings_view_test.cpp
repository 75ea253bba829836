// The settings view: texts, bindings to the preferences, the tolerance slider, the shortcut
// list and the login item.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSlider>
#include <filesystem>
#include <fstream>

#include "ViewFixture.hpp"

namespace spanlet::testing {
namespace {

class SettingsViewTest : public ViewTest {
protected:
    static std::vector<std::string> items(const QWidget* view, const char* name) {
        std::vector<std::string> texts;
        const auto* box = child<QComboBox>(view, name);
        for (int i = 0; i < box->count(); ++i) {
            texts.push_back(utf8(box->itemText(i)));
        }
        return texts;
    }
    static QSlider* tolerance(const QWidget* view) { return child<QSlider>(view, "tolerance"); }
};

TEST_F(SettingsViewTest, SectionsControlsAndTextsAreExact) {
    started();
    auto view = show(Kind::settings);
    std::vector<std::string> headers;
    for (const QGroupBox* box : view->findChildren<QGroupBox*>()) {
        headers.push_back(utf8(box->title()));
    }
    EXPECT_EQ(headers, (std::vector<std::string>{"Units", "Guides", "Edge snapping", "Copying",
                                                 "Keyboard shortcuts", "General"}));
    for (const auto& [name, expected] : {
             std::pair<const char*, const char*>{"unit.points", "Points"},
             {"unit.pixels", "Pixels"},
             {"showGuides", "Show guides"},
             {"showGapLabels", "Show the gaps between guides"},
             {"toleranceState", "Normal"},
             {"toleranceHelp",
              "Lower finds fainter edges; higher skips subtle borders, textures and noise."},
             {"showLoupe", "Show the loupe while snapping"},
             {"screenRecording", "Allowed"},
             {"openScreenRecordingSettings", "Open System Settings"},
             {"hotkeysEnabled", "Use the global shortcuts"},
             {"openAtLogin", "Open at login"},
         }) {
        EXPECT_EQ(text(view.get(), name), expected) << name;
    }
    for (const char* label :
         {"Measure in",
          "Pixels follow each display’s scale: a Retina display has two pixels to a point. "
          "Copied CSS and SwiftUI always use points.",
          "Edge tolerance", "Faint", "Strong", "Screen Recording", "Copy measurements as",
          "Copy colors as"}) {
        EXPECT_TRUE(shows(view.get(), label)) << label;
    }
    EXPECT_EQ(items(view.get(), "copyStyle"), (std::vector<std::string>{"Text", "CSS", "SwiftUI"}));
    EXPECT_EQ(items(view.get(), "colorStyle"),
              (std::vector<std::string>{"Hex", "RGB", "SwiftUI", "NSColor"}));
}

TEST_F(SettingsViewTest, ControlsAndPreferencesFollowEachOther) {
    Mensor& m = started();
    auto view = show(Kind::settings);
    click(view.get(), "unit.pixels");
    click(view.get(), "showGuides");
    click(view.get(), "showGapLabels");
    click(view.get(), "showLoupe");
    tolerance(view.get())->setValue(3500);
    child<QComboBox>(view.get(), "copyStyle")->setCurrentIndex(1);
    child<QComboBox>(view.get(), "colorStyle")->setCurrentIndex(3);
    click(view.get(), "hotkeysEnabled");
    const Preferences& p = *m.prefs();
    EXPECT_EQ(p.unit, MeasureUnit::pixels);
    EXPECT_FALSE(p.showGuides);
    EXPECT_FALSE(p.showGapLabels);
    EXPECT_FALSE(p.showLoupe);
    EXPECT_EQ(p.tolerance, 0.35);
    EXPECT_EQ(p.copyStyle, CopyStyle::css);
    EXPECT_EQ(p.colorStyle, ColorStyle::nsColor);
    EXPECT_FALSE(p.hotkeysEnabled);
    EXPECT_TRUE(platform.hotkeys.registered.empty());
    EXPECT_EQ(platform.preferences.load(), p); // saved; reading back is preferences_test's

    // Changes made elsewhere show at once.
    m.perform(MensorCommand::toggleUnit);
    EXPECT_TRUE(child<QPushButton>(view.get(), "unit.points")->isChecked());
    m.updatePrefs([](Preferences& prefs) {
        prefs.copyStyle = CopyStyle::swiftUI;
        prefs.showGuides = true;
    });
    EXPECT_EQ(child<QComboBox>(view.get(), "copyStyle")->currentIndex(), 2);
    EXPECT_TRUE(child<QCheckBox>(view.get(), "showGuides")->isChecked());
}

TEST_F(SettingsViewTest, TheToleranceSliderRewritesOnlyWhatTheUserMoves) {
    Preferences prefs;
    prefs.tolerance = 0.12345; // between the slider's steps of 0.0001
    Mensor& m = started(prefs);
    const int saves = platform.saves();
    auto view = show(Kind::settings);
    EXPECT_EQ(tolerance(view.get())->value(), 1235);
    EXPECT_EQ(m.prefs()->tolerance, 0.12345);
    EXPECT_EQ(platform.saves(), saves);

    // The slider reaches the threshold exactly.
    tolerance(view.get())->setValue(700);
    EXPECT_EQ(m.prefs()->tolerance, 0.07);
    // The label follows the slider; where its thresholds lie is view_logic_test's.
    tolerance(view.get())->setValue(699);
    EXPECT_EQ(text(view.get(), "toleranceState"), "Finds faint edges");
}

TEST_F(SettingsViewTest, ShortcutListIsHiddenWhileShortcutsAreOff) {
    Mensor& m = started();
    auto view = show(Kind::settings);
    QWidget* list = child(view.get(), "shortcutList");
    EXPECT_TRUE(list->isVisibleTo(view.get()));
    click(view.get(), "hotkeysEnabled");
    EXPECT_FALSE(list->isVisibleTo(view.get()));
    EXPECT_TRUE(platform.hotkeys.registered.empty());

    // Turned on again (here from elsewhere): the list returns with the marks of the moment.
    m.updatePrefs([](Preferences& p) { p.hotkeysEnabled = true; });
    hotkeys.set({MensorCommand::editGuides});
    EXPECT_TRUE(list->isVisibleTo(view.get()));
    EXPECT_TRUE(child<QCheckBox>(view.get(), "hotkeysEnabled")->isChecked());
    EXPECT_EQ(platform.hotkeys.registered.size(), 10U);
    EXPECT_TRUE(child(child(list, "shortcut.editGuides"), "unavailable")->isVisibleTo(list));
}

TEST_F(SettingsViewTest, ScreenRecordingIsReadOnEveryAppearance) {
    platform.permission.granted = false;
    started();
    auto view = show(Kind::settings);
    EXPECT_EQ(text(view.get(), "screenRecording"), "Not allowed");
    click(view.get(), "openScreenRecordingSettings");
    EXPECT_EQ(platform.permission.settingsOpened, 1);

    platform.permission.granted = true;
    view->hide();
    view->show();
    EXPECT_EQ(text(view.get(), "screenRecording"), "Allowed");
}

TEST_F(SettingsViewTest, OpenAtLoginShowsWhatTheDesktopReallyDoes) {
    started();
    auto view = show(Kind::settings);
    auto* toggle = child<QCheckBox>(view.get(), "openAtLogin");
    EXPECT_FALSE(toggle->isChecked());
    click(toggle);
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_TRUE(loginItem.isEnabled());
    click(toggle);
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_FALSE(std::filesystem::exists(loginItem.file()));

    // A file where the autostart folder should be: no entry can be made, whoever runs this.
    std::filesystem::remove_all(config.path() / "autostart");
    std::ofstream(config.path() / "autostart") << "in the way";
    click(toggle);
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_FALSE(loginItem.isEnabled());
    EXPECT_TRUE(std::filesystem::is_regular_file(config.path() / "autostart")) << "left alone";
}

} // namespace
} // namespace spanlet::testing
