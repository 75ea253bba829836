// The settings view: texts, bindings to the preferences, the tolerance state line, the
// shortcut list and the login item.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSlider>
#include <fstream>

#include "ViewFixture.hpp"

namespace spanlet::testing {
namespace {

using Kind = Windows::Kind;

class SettingsViewTest : public ViewTest {
protected:
    static std::vector<std::string> items(const QComboBox* box) {
        std::vector<std::string> texts;
        for (int i = 0; i < box->count(); ++i) {
            texts.push_back(utf8(box->itemText(i)));
        }
        return texts;
    }
    static std::string checkText(const QWidget* view, const char* name) {
        return utf8(child<QCheckBox>(view, name)->text());
    }
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
    EXPECT_TRUE(shows(view.get(), "Measure in"));
    EXPECT_EQ(utf8(child<QPushButton>(view.get(), "unit.points")->text()), "Points");
    EXPECT_EQ(utf8(child<QPushButton>(view.get(), "unit.pixels")->text()), "Pixels");
    EXPECT_TRUE(shows(view.get(), "Pixels follow each display’s scale: a Retina display has two "
                                  "pixels to a point. Copied CSS and SwiftUI always use points."));
    EXPECT_EQ(checkText(view.get(), "showGuides"), "Show guides");
    EXPECT_EQ(checkText(view.get(), "showGapLabels"), "Show the gaps between guides");
    EXPECT_TRUE(shows(view.get(), "Edge tolerance"));
    EXPECT_TRUE(shows(view.get(), "Faint"));
    EXPECT_TRUE(shows(view.get(), "Strong"));
    EXPECT_EQ(utf8(child<QLabel>(view.get(), "toleranceState")->text()), "Normal");
    EXPECT_EQ(utf8(child<QLabel>(view.get(), "toleranceHelp")->text()),
              "Lower finds fainter edges; higher skips subtle borders, textures and noise.");
    EXPECT_EQ(checkText(view.get(), "showLoupe"), "Show the loupe while snapping");
    EXPECT_TRUE(shows(view.get(), "Screen Recording"));
    EXPECT_EQ(utf8(child<QLabel>(view.get(), "screenRecording")->text()), "Allowed");
    EXPECT_EQ(utf8(child<QPushButton>(view.get(), "openScreenRecordingSettings")->text()),
              "Open System Settings");
    EXPECT_TRUE(shows(view.get(), "Copy measurements as"));
    EXPECT_EQ(items(child<QComboBox>(view.get(), "copyStyle")),
              (std::vector<std::string>{"Text", "CSS", "SwiftUI"}));
    EXPECT_TRUE(shows(view.get(), "Copy colors as"));
    EXPECT_EQ(items(child<QComboBox>(view.get(), "colorStyle")),
              (std::vector<std::string>{"Hex", "RGB", "SwiftUI", "NSColor"}));
    EXPECT_EQ(checkText(view.get(), "hotkeysEnabled"), "Use the global shortcuts");
    EXPECT_EQ(checkText(view.get(), "openAtLogin"), "Open at login");
    const auto* slider = child<QSlider>(view.get(), "tolerance");
    EXPECT_EQ(slider->minimum(), 0);
    EXPECT_EQ(slider->maximum(), 6000); // 0.6 in steps of 0.0001
}

TEST_F(SettingsViewTest, ControlsChangeAndSaveThePreferences) {
    Mensor& m = started();
    {
        auto view = show(Kind::settings);
        click(child<QPushButton>(view.get(), "unit.pixels"));
        click(child<QCheckBox>(view.get(), "showGuides"));
        click(child<QCheckBox>(view.get(), "showGapLabels"));
        click(child<QCheckBox>(view.get(), "showLoupe"));
        child<QSlider>(view.get(), "tolerance")->setValue(3500);
        child<QComboBox>(view.get(), "copyStyle")->setCurrentIndex(1);
        child<QComboBox>(view.get(), "colorStyle")->setCurrentIndex(3);
        click(child<QCheckBox>(view.get(), "hotkeysEnabled"));
    }
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

    // Saving and reading back is preferences_test's; the controls following the preferences
    // is ChangesMadeElsewhereShowAtOnce.
    EXPECT_EQ(platform.preferences.load(), p);
}

TEST_F(SettingsViewTest, ChangesMadeElsewhereShowAtOnce) {
    Mensor& m = started();
    auto view = show(Kind::settings);
    m.toggleUnit();
    EXPECT_TRUE(child<QPushButton>(view.get(), "unit.pixels")->isChecked());
    m.perform(MensorCommand::toggleUnit);
    EXPECT_TRUE(child<QPushButton>(view.get(), "unit.points")->isChecked());
    m.updatePrefs([](Preferences& p) {
        p.copyStyle = CopyStyle::swiftUI;
        p.showGuides = false;
    });
    EXPECT_EQ(child<QComboBox>(view.get(), "copyStyle")->currentIndex(), 2);
    EXPECT_FALSE(child<QCheckBox>(view.get(), "showGuides")->isChecked());
}

TEST_F(SettingsViewTest, AStoredToleranceBetweenStepsIsNotRewritten) {
    Preferences prefs = welcomed();
    prefs.tolerance = 0.12345;
    Mensor& m = started(prefs);
    const int saves = platform.saves();
    auto view = show(Kind::settings);
    EXPECT_EQ(child<QSlider>(view.get(), "tolerance")->value(), 1235);
    EXPECT_EQ(m.prefs()->tolerance, 0.12345);
    EXPECT_EQ(platform.saves(), saves);
}

TEST_F(SettingsViewTest, TheSliderReachesTheThresholdExactly) {
    Mensor& m = started();
    auto view = show(Kind::settings);
    child<QSlider>(view.get(), "tolerance")->setValue(700);
    EXPECT_EQ(m.prefs()->tolerance, 0.07);
    EXPECT_EQ(utf8(child<QLabel>(view.get(), "toleranceState")->text()), "Normal");
    child<QSlider>(view.get(), "tolerance")->setValue(699);
    EXPECT_EQ(utf8(child<QLabel>(view.get(), "toleranceState")->text()), "Finds faint edges");
}

TEST_F(SettingsViewTest, ShortcutListIsHiddenWhileShortcutsAreOff) {
    Mensor& m = started();
    auto view = show(Kind::settings);
    QWidget* list = child(view.get(), "shortcutList");
    EXPECT_TRUE(list->isVisibleTo(view.get()));
    click(child<QCheckBox>(view.get(), "hotkeysEnabled"));
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
    auto* state = child<QLabel>(view.get(), "screenRecording");
    EXPECT_EQ(utf8(state->text()), "Not allowed");
    click(child<QPushButton>(view.get(), "openScreenRecordingSettings"));
    EXPECT_EQ(platform.permission.settingsOpened, 1);

    platform.permission.granted = true;
    view->hide();
    view->show();
    EXPECT_EQ(utf8(state->text()), "Allowed");
}

TEST_F(SettingsViewTest, OpenAtLoginWritesAndRemovesTheAutostartEntry) {
    started();
    auto view = show(Kind::settings);
    auto* toggle = child<QCheckBox>(view.get(), "openAtLogin");
    EXPECT_FALSE(toggle->isChecked());
    click(toggle);
    EXPECT_TRUE(toggle->isChecked());
    ASSERT_TRUE(std::filesystem::exists(loginItem.file()));
    EXPECT_TRUE(loginItem.isEnabled());
    click(toggle);
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_FALSE(std::filesystem::exists(loginItem.file()));
}

TEST_F(SettingsViewTest, OpenAtLoginGoesBackWhenTheFolderCannotBeWritten) {
    // A file where the autostart folder should be: no entry can be made, whoever runs this.
    std::ofstream(config.path() / "autostart") << "in the way";
    started();
    auto view = show(Kind::settings);
    auto* toggle = child<QCheckBox>(view.get(), "openAtLogin");
    click(toggle);
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_FALSE(loginItem.isEnabled());
}

} // namespace
} // namespace spanlet::testing
