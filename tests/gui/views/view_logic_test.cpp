// The Qt-free parts of the tool views: the autostart entry and the texts that depend on
// thresholds and ratios.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

#include <spanlet/views/AutostartEntry.hpp>
#include <spanlet/views/CompositorBindings.hpp>
#include <spanlet/views/ViewText.hpp>

#include "TempDir.hpp"

namespace spanlet {
namespace {

namespace fs = std::filesystem;

TEST(AutostartEntryTest, OnWritesOneReadableEntryAndOffRemovesIt) {
    testing::TempDir config;
    const fs::path folder = config.path() / "autostart";
    AutostartEntry entry{folder / "spanlet.desktop", "/usr/bin/spanlet"};
    ASSERT_TRUE(entry.setEnabled(true)); // makes the folder
    ASSERT_TRUE(entry.setEnabled(true)); // a rewrite leaves no temporary file behind
    EXPECT_TRUE(entry.isEnabled());
    std::ifstream in(entry.file());
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0U);
    EXPECT_NE(text.find("\nExec=/usr/bin/spanlet\n"), std::string::npos);
    EXPECT_EQ(fs::status(entry.file()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

    ASSERT_TRUE(entry.setEnabled(false));
    EXPECT_FALSE(fs::exists(entry.file()));
    EXPECT_TRUE(entry.setEnabled(false)) << "turning off what is off succeeds";

    std::ofstream(entry.file()) << "[Desktop Entry]\nExec=spanlet\nHidden=true\n";
    EXPECT_FALSE(entry.isEnabled()) << "a hidden entry is off";

    EXPECT_FALSE(AutostartEntry({}, "/usr/bin/spanlet").setEnabled(true)) << "no known place";
}

TEST(AutostartEntryText, FileFollowsXdgExecIsEscapedAndHiddenIsReadFromItsGroupOnly) {
    EXPECT_EQ(AutostartEntry::standardFile("/tmp/cfg", "/home/u").string(),
              "/tmp/cfg/autostart/spanlet.desktop");
    EXPECT_EQ(AutostartEntry::standardFile("cfg", "/home/u").string(),
              "/home/u/.config/autostart/spanlet.desktop")
        << "a relative XDG_CONFIG_HOME is ignored";
    EXPECT_EQ(AutostartEntry::standardFile(nullptr, nullptr).string(), "");

    // Quoting escapes \ with a backslash, which the string escape then doubles.
    EXPECT_EQ(AutostartEntry::execValue("/usr/bin/spanlet"), "/usr/bin/spanlet");
    EXPECT_EQ(AutostartEntry::execValue("/opt/my apps/x"), "\"/opt/my apps/x\"");
    EXPECT_EQ(AutostartEntry::execValue("/opt/a\\b"), "\"/opt/a\\\\\\\\b\"");
    EXPECT_EQ(AutostartEntry::execValue("/opt/100%/x"), "/opt/100%%/x");

    EXPECT_TRUE(AutostartEntry::isHidden("[Desktop Entry]\r\nHidden = true\r\n"));
    EXPECT_FALSE(AutostartEntry::isHidden("[Desktop Entry]\n[Desktop Action a]\nHidden=true\n"));
    EXPECT_FALSE(AutostartEntry::isHidden("[Desktop Entry]\nX-Hidden=true\n"));
}

TEST(ViewTexts, ToleranceThresholdsAreInclusiveForNormalAndContrastIgnoresAlpha) {
    EXPECT_EQ(ViewText::toleranceState(0.069), "Finds faint edges");
    EXPECT_EQ(ViewText::toleranceState(0.07), "Normal");
    EXPECT_EQ(ViewText::toleranceState(0.3), "Normal");
    EXPECT_EQ(ViewText::toleranceState(0.31), "Strong edges only");

    EXPECT_EQ(ViewText::contrastLine(SRGBColor(1, 1, 1, 0.2)),
              "Contrast with white 1:1 · with black 21:1");
    // #777777: luminance 0.184, ratios 4.48 and 4.68.
    EXPECT_EQ(ViewText::contrastLine(SRGBColor::fromRGBA({0x77, 0x77, 0x77, 255})),
              "Contrast with white 4.5:1 · with black 4.7:1");
}

// Texts that name shortcuts follow the user's bindings; a conflict names its cause.
TEST(ViewTexts, ShortcutTextsFollowTheBindings) {
    ShortcutBindings b;
    EXPECT_EQ(ViewText::noMeasurementsHint(b),
              "Turn on edge snapping (Ctrl+Shift+S), point at something and press Ctrl+Shift+P "
              "to keep its measurement on screen.");
    EXPECT_EQ(ViewText::shortcutConflict(MensorCommand::pickColor, b, {MensorCommand::pickColor}),
              "In use by another app");
    EXPECT_EQ(ViewText::shortcutConflict(MensorCommand::toggleRuler, b, {}), "");
    b.set(MensorCommand::toggleSnapping, std::nullopt);
    b.set(MensorCommand::pinMeasurement, std::nullopt);
    b.set(MensorCommand::pickColor, std::nullopt);
    b.set(MensorCommand::toggleUnit, shortcut(MensorCommand::editGuides));
    EXPECT_EQ(ViewText::noMeasurementsHint(b),
              "Turn on edge snapping, point at something and choose Keep Measurement on Screen "
              "to keep its measurement on screen.");
    EXPECT_EQ(ViewText::noColorsHint(b).rfind("Pick a color with the button below.", 0), 0U);
    EXPECT_EQ(ViewText::shortcutConflict(MensorCommand::toggleUnit, b, {}),
              "Same keys as \u201CEdit Guides\u201D");
    EXPECT_EQ(ViewText::shortcutRowLabel(MensorCommand::pickColor, std::nullopt),
              "Pick a Color, no shortcut");
}

// The compositors hand `exec` to a shell: a path with blanks or quotes stays one word.
TEST(CompositorBindings, ProgramPathIsOneShellWord) {
    EXPECT_EQ(CompositorBindings::shellWord("/usr/bin/spanlet"), "/usr/bin/spanlet");
    EXPECT_EQ(CompositorBindings::shellWord("/opt/My Apps/it's/spanlet"),
              "'/opt/My Apps/it'\\''s/spanlet'");
    EXPECT_EQ(CompositorBindings::shellWord("/opt/$HOME;x/spanlet"), "'/opt/$HOME;x/spanlet'");
}

} // namespace
} // namespace spanlet
