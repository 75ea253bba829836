// The settings view: the bindings to the preferences both ways, and what it reads
// from the system (screen recording, the login item).
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSlider>
#include <filesystem>
#include <fstream>

#include "ViewFixture.hpp"

namespace spanlet::testing {
namespace {

using SettingsViewTest = ViewTest;

// The stored tolerance lies between the slider's steps of 0.0001: showing must not rewrite it.
TEST_F(SettingsViewTest, ControlsAndPreferencesFollowEachOther) {
    Preferences prefs;
    prefs.tolerance = 0.12345;
    Mensor& m = started(prefs);
    const int saves = platform.saves();
    auto view = show(Kind::settings);
    auto* tolerance = child<QSlider>(view.get(), "tolerance");
    EXPECT_EQ(tolerance->value(), 1235);
    EXPECT_EQ(platform.saves(), saves);

    click(view.get(), "unit.pixels");
    click(view.get(), "showGuides");
    tolerance->setValue(700); // the threshold, exactly
    child<QComboBox>(view.get(), "copyStyle")->setCurrentIndex(1);
    click(view.get(), "hotkeysEnabled");
    const Preferences& p = *m.prefs();
    EXPECT_EQ(p.unit, MeasureUnit::pixels);
    EXPECT_FALSE(p.showGuides);
    EXPECT_EQ(p.tolerance, 0.07);
    EXPECT_EQ(p.copyStyle, CopyStyle::css);
    EXPECT_TRUE(platform.hotkeys.registered.empty());
    QWidget* shortcuts = child(view.get(), "shortcutList");
    EXPECT_FALSE(shortcuts->isVisibleTo(view.get())) << "hidden while shortcuts are off";
    tolerance->setValue(699);
    EXPECT_EQ(text(view.get(), "toleranceState"), "Finds faint edges");

    // Changes made elsewhere show at once.
    m.perform(MensorCommand::toggleUnit);
    m.updatePrefs([](Preferences& q) {
        q.copyStyle = CopyStyle::swiftUI;
        q.hotkeysEnabled = true;
    });
    EXPECT_TRUE(child<QPushButton>(view.get(), "unit.points")->isChecked());
    EXPECT_EQ(child<QComboBox>(view.get(), "copyStyle")->currentIndex(), 2);
    EXPECT_TRUE(shortcuts->isVisibleTo(view.get()));
}

TEST_F(SettingsViewTest, ScreenRecordingAndOpenAtLoginShowWhatTheSystemReallyDoes) {
    platform.permission.granted = false;
    started();
    auto view = show(Kind::settings);
    EXPECT_EQ(text(view.get(), "screenRecording"), "Not allowed");
    click(view.get(), "openScreenRecordingSettings");
    EXPECT_EQ(platform.permission.settingsOpened, 1);
    platform.permission.granted = true;
    view->hide();
    view->show();
    EXPECT_EQ(text(view.get(), "screenRecording"), "Allowed") << "read on every appearance";

    // A file where the autostart folder should be: no entry can be made, whoever runs this.
    std::ofstream(config.path() / "autostart") << "in the way";
    auto* toggle = child<QCheckBox>(view.get(), "openAtLogin");
    click(toggle);
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_TRUE(std::filesystem::is_regular_file(config.path() / "autostart")) << "left alone";
    std::filesystem::remove(config.path() / "autostart");
    click(toggle);
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_TRUE(loginItem.isEnabled());
}

} // namespace
} // namespace spanlet::testing
