// The Qt-free parts of the tool views: the autostart entry and the texts that depend on
// thresholds and ratios.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

#include <spanlet/views/AutostartEntry.hpp>
#include <spanlet/views/ViewText.hpp>

#include "TempDir.hpp"

namespace spanlet {
namespace {

namespace fs = std::filesystem;

class AutostartEntryTest : public ::testing::Test {
protected:
    testing::TempDir config;
    fs::path folder() const { return config.path() / "autostart"; }
    fs::path file() const { return folder() / "spanlet.desktop"; }
    AutostartEntry entry{file(), "/usr/bin/spanlet"};
};

TEST_F(AutostartEntryTest, OnWritesOneReadableEntryAndOffRemovesIt) {
    ASSERT_FALSE(entry.isEnabled());
    ASSERT_TRUE(entry.setEnabled(true)); // makes the folder
    ASSERT_TRUE(entry.setEnabled(true)); // a rewrite leaves no temporary file behind
    EXPECT_TRUE(entry.isEnabled());
    std::ifstream in(file());
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0U);
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(text.find("\nExec=/usr/bin/spanlet\n"), std::string::npos);
    EXPECT_EQ(fs::status(file()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder()), fs::directory_iterator()), 1);

    ASSERT_TRUE(entry.setEnabled(false));
    EXPECT_FALSE(fs::exists(file()));
    EXPECT_FALSE(entry.isEnabled());
    EXPECT_TRUE(entry.setEnabled(false)) << "turning off what is off succeeds";

    // A hidden entry is off, and turning on replaces it.
    std::ofstream(file()) << "[Desktop Entry]\nType=Application\nExec=spanlet\nHidden=true\n";
    EXPECT_FALSE(entry.isEnabled());
    ASSERT_TRUE(entry.setEnabled(true));
    EXPECT_TRUE(entry.isEnabled());
}

// A file where the folder belongs is settings_view_test's.
TEST_F(AutostartEntryTest, WhatStandsInTheWayFailsAndLeavesItOff) {
    fs::create_directories(file() / "inside"); // a non-empty folder where the file belongs
    EXPECT_FALSE(entry.isEnabled());
    EXPECT_FALSE(entry.setEnabled(true));
    EXPECT_FALSE(entry.isEnabled());

    AutostartEntry nowhere({}, "/usr/bin/spanlet");
    EXPECT_FALSE(nowhere.setEnabled(true)) << "no known place";
    EXPECT_FALSE(nowhere.isEnabled());
}

TEST(AutostartEntryText, StandardFileFollowsTheXdgBaseDirectories) {
    struct Row {
        const char* configHome;
        const char* home;
        const char* expected;
    };
    for (const Row& r : {Row{"/tmp/cfg", "/home/u", "/tmp/cfg/autostart/spanlet.desktop"},
                         Row{nullptr, "/home/u", "/home/u/.config/autostart/spanlet.desktop"},
                         Row{"cfg", "/home/u", "/home/u/.config/autostart/spanlet.desktop"},
                         Row{nullptr, nullptr, ""}}) {
        SCOPED_TRACE(r.configHome ? r.configHome : "(XDG_CONFIG_HOME unset)");
        EXPECT_EQ(AutostartEntry::standardFile(r.configHome, r.home).string(), r.expected);
    }
}

TEST(AutostartEntryText, ExecValueQuotesAndEscapesAsDesktopEntriesRequire) {
    // Quoting escapes " and \ with a backslash, which the string escape then doubles.
    for (const auto& [executable, expected] :
         {std::pair<std::string, std::string>{"/usr/bin/spanlet", "/usr/bin/spanlet"},
          {"/opt/my apps/spanlet", "\"/opt/my apps/spanlet\""},
          {"/opt/a\"b", "\"/opt/a\\\\\"b\""},
          {"/opt/a\\b", "\"/opt/a\\\\\\\\b\""},
          {"/opt/100%/spanlet", "/opt/100%%/spanlet"}}) {
        EXPECT_EQ(AutostartEntry::execValue(executable), expected) << executable;
    }
}

TEST(AutostartEntryText, HiddenIsReadFromTheDesktopEntryGroupOnly) {
    for (const auto& [text, hidden] :
         {std::pair<std::string, bool>{"[Desktop Entry]\nExec=x\n", false},
          {"[Desktop Entry]\nHidden=true\n", true},
          {"[Desktop Entry]\nHidden = true\n", true},
          {"[Desktop Entry]\r\nHidden=true\r\n", true},
          {"[Desktop Entry]\nExec=x\n[Desktop Action a]\nHidden=true\n", false},
          {"[Desktop Entry]\nX-Hidden=true\n", false}}) {
        EXPECT_EQ(AutostartEntry::isHidden(text), hidden) << text;
    }
}

TEST(ViewTexts, ToleranceThresholdsAreInclusiveForNormal) {
    for (const auto& [tolerance, state] :
         {std::pair<double, std::string>{0.069, "Finds faint edges"},
          {0.07, "Normal"},
          {0.3, "Normal"},
          {0.31, "Strong edges only"}}) {
        EXPECT_EQ(ViewText::toleranceState(tolerance), state) << state;
    }
}

TEST(ViewTexts, ContrastRatiosHaveAtMostOneDigitAndIgnoreAlpha) {
    const std::string whiteLine = "Contrast with white 1:1 · with black 21:1";
    EXPECT_EQ(ViewText::contrastLine(SRGBColor(1, 1, 1, 1)), whiteLine);
    EXPECT_EQ(ViewText::contrastLine(SRGBColor(1, 1, 1, 0.2)), whiteLine);
    // #777777: luminance 0.184, ratios 4.48 and 4.68.
    EXPECT_EQ(ViewText::contrastLine(SRGBColor::fromRGBA({0x77, 0x77, 0x77, 255})),
              "Contrast with white 4.5:1 · with black 4.7:1");
}

} // namespace
} // namespace spanlet
