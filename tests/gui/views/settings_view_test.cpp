// The settings view: the bindings to the preferences both ways, and what it reads
// from the system (screen recording, the login item).
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSlider>
#include <filesystem>
#include <fstream>

#include <spanlet/views/ViewText.hpp>

#include "ViewFixture.hpp"
#include "support/X11Env.hpp"

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
    const auto reopen = [&view] {
        view->hide();
        view->show();
    };
    QWidget* grant = child(view.get(), "grantScreenRecording");
    EXPECT_EQ(text(view.get(), "screenRecording"), "Not allowed");
    EXPECT_EQ(text(view.get(), "screenRecordingNote"), platform.permission.denied.explanation);
    EXPECT_EQ(text(view.get(), "grantScreenRecording"), "Allow Spanlet");
    click(view.get(), "grantScreenRecording");
    EXPECT_EQ(platform.permission.grants, 1);
    platform.permission.granted = true;
    reopen();
    EXPECT_EQ(text(view.get(), "screenRecording"), "Allowed") << "read on every appearance";
    EXPECT_FALSE(grant->isVisibleTo(view.get()));
    EXPECT_EQ(text(view.get(), "screenRecordingNote"), ViewText::noPermissionNeeded);
    platform.permission.granted = false;
    platform.permission.denied = {CaptureAccess::State::unavailable, {}, "Xwayland can’t read it."};
    reopen();
    EXPECT_EQ(text(view.get(), "screenRecording"), "Not available in this session");
    EXPECT_FALSE(grant->isVisibleTo(view.get())) << "nothing to press";
    EXPECT_EQ(text(view.get(), "screenRecordingNote"), "Xwayland can’t read it.");

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

// The shortcut editor with real key presses: a recorded combination is bound, stored and
// registered; a key that cannot be global or Escape changes nothing; two commands on one
// combination are marked; Clear and Restore Defaults.
TEST_F(SettingsViewTest, ShortcutsAreRecordedClearedAndRestored) {
    Mensor& m = started();
    auto view = show(Kind::settings);
    QWidget* ruler = child(view.get(), "shortcut.toggleRuler");
    auto* record = child<QPushButton>(ruler, "record");
    view->activateWindow();
    ASSERT_TRUE(test::waitUntil([&] { return view->isActiveWindow(); }));
    const auto press = [&](const char* keys) {
        click(record);
        ASSERT_EQ(record->text(), QStringLiteral("Press keys…"));
        ASSERT_TRUE(test::xdotool({"key", keys}));
    };
    press("r"); // needs Ctrl, Alt or Super: still recording
    ASSERT_TRUE(test::xdotool({"key", "Escape"}));
    EXPECT_TRUE(test::waitUntil([&] { return record->text() == QStringLiteral("Ctrl+Shift+R"); }));
    EXPECT_TRUE(m.prefs()->shortcuts.allDefault());

    press("ctrl+alt+9");
    ASSERT_TRUE(test::waitUntil(
        [&] { return !m.prefs()->shortcuts.isDefault(MensorCommand::toggleRuler); }));
    const Shortcut recorded =
        *userShortcut("9", {Shortcut::Modifiers::control, Shortcut::Modifiers::option});
    EXPECT_EQ(m.prefs()->shortcuts.shortcut(MensorCommand::toggleRuler), recorded);
    EXPECT_EQ(platform.saved()->shortcuts, m.prefs()->shortcuts);
    EXPECT_EQ(platform.hotkeys.registered.front(), (Binding{MensorCommand::toggleRuler, recorded}));
    EXPECT_EQ(utf8(record->text()), "Ctrl+Alt+9");

    m.updatePrefs([](Preferences& p) {
        p.shortcuts.set(MensorCommand::toggleUnit, shortcut(MensorCommand::editGuides));
    });
    EXPECT_EQ(text(child(view.get(), "shortcut.toggleUnit"), "unavailable"),
              "Same keys as \u201CEdit Guides\u201D");
    EXPECT_EQ(text(child(view.get(), "shortcut.editGuides"), "unavailable"),
              "Same keys as \u201CSwitch Points and Pixels\u201D");

    click(child(view.get(), "shortcut.pickColor"), "clear");
    EXPECT_FALSE(m.prefs()->shortcuts.shortcut(MensorCommand::pickColor));
    EXPECT_EQ(text(child(view.get(), "shortcut.pickColor"), "record"), "None");
    click(view.get(), "restoreDefaults");
    EXPECT_TRUE(m.prefs()->shortcuts.allDefault());
    EXPECT_FALSE(child(view.get(), "restoreDefaults")->isEnabled());
    EXPECT_EQ(utf8(record->text()), "Ctrl+Shift+R");
}

} // namespace
} // namespace spanlet::testing
