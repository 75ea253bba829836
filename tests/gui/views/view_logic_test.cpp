// The Qt-free parts of the tool views: the autostart entry and the texts that depend on
// thresholds and ratios.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <ostream>
#include <sstream>
#include <string>

#include <spanlet/views/AutostartEntry.hpp>
#include <spanlet/views/ViewText.hpp>

#include "TempDir.hpp"

namespace spanlet {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

std::string readAll(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

// --- The autostart entry ---------------------------------------------------------------------

class AutostartEntryTest : public ::testing::Test {
protected:
    TempDir config;
    fs::path file() const { return config.path() / "autostart" / "spanlet.desktop"; }
    AutostartEntry entry{file(), "/usr/bin/spanlet"};
};

TEST_F(AutostartEntryTest, EnablingWritesTheEntryAndMakesTheFolder) {
    ASSERT_FALSE(entry.isEnabled());
    ASSERT_TRUE(entry.setEnabled(true));
    EXPECT_TRUE(entry.isEnabled());
    const std::string text = readAll(file());
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0U);
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(text.find("\nExec=/usr/bin/spanlet\n"), std::string::npos);
    EXPECT_EQ(fs::status(file()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
}

TEST_F(AutostartEntryTest, DisablingRemovesTheFile) {
    ASSERT_TRUE(entry.setEnabled(true));
    ASSERT_TRUE(entry.setEnabled(false));
    EXPECT_FALSE(fs::exists(file()));
    EXPECT_FALSE(entry.isEnabled());
    // Turning off what is already off succeeds.
    EXPECT_TRUE(entry.setEnabled(false));
}

TEST_F(AutostartEntryTest, AHiddenEntryIsOffAndEnablingReplacesIt) {
    writeText(file(), "[Desktop Entry]\nType=Application\nExec=spanlet\nHidden=true\n");
    EXPECT_FALSE(entry.isEnabled());
    ASSERT_TRUE(entry.setEnabled(true));
    EXPECT_TRUE(entry.isEnabled());
    EXPECT_EQ(readAll(file()).find("Hidden"), std::string::npos);
}

TEST_F(AutostartEntryTest, AFileWhereTheFolderShouldBeFailsAndLeavesItOff) {
    writeText(config.path() / "autostart", "not a folder");
    EXPECT_FALSE(entry.setEnabled(true));
    EXPECT_FALSE(entry.isEnabled());
    EXPECT_TRUE(fs::is_regular_file(config.path() / "autostart"));
}

TEST_F(AutostartEntryTest, AFolderInPlaceOfTheFileCannotBeRemovedAndStaysOn) {
    // A non-empty folder named like the entry: it reads as no entry (off), and cannot be
    // replaced by one.
    fs::create_directories(file() / "inside");
    EXPECT_FALSE(entry.isEnabled());
    EXPECT_FALSE(entry.setEnabled(true));
    EXPECT_FALSE(entry.isEnabled());
}

TEST_F(AutostartEntryTest, NoTempFilesAreLeftBehind) {
    ASSERT_TRUE(entry.setEnabled(true));
    ASSERT_TRUE(entry.setEnabled(true));
    int files = 0;
    for ([[maybe_unused]] const auto& item : fs::directory_iterator(file().parent_path())) {
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST(AutostartEntryPath, WithoutAKnownFolderNothingIsWritten) {
    AutostartEntry nowhere({}, "/usr/bin/spanlet");
    EXPECT_FALSE(nowhere.isEnabled());
    EXPECT_FALSE(nowhere.setEnabled(true));
}

struct PathCase {
    std::string name;
    const char* xdgConfigHome;
    const char* home;
    std::string expected;
};

void PrintTo(const PathCase& c, std::ostream* os) {
    *os << c.name;
}

class StandardFileTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(StandardFileTest, FollowsTheXdgBaseDirectories) {
    const PathCase& c = GetParam();
    EXPECT_EQ(AutostartEntry::standardFile(c.xdgConfigHome, c.home).string(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, StandardFileTest,
                         ::testing::Values(PathCase{"ConfigHomeSet", "/tmp/cfg", "/home/u",
                                                    "/tmp/cfg/autostart/spanlet.desktop"},
                                           PathCase{"ConfigHomeUnset", nullptr, "/home/u",
                                                    "/home/u/.config/autostart/spanlet.desktop"},

                                           PathCase{"ConfigHomeRelativeIsIgnored", "cfg", "/home/u",
                                                    "/home/u/.config/autostart/spanlet.desktop"},
                                           PathCase{"NothingKnown", nullptr, nullptr, ""}),
                         [](const auto& row) { return row.param.name; });

struct ExecCase {
    std::string name;
    std::string executable;
    std::string expected;
};

void PrintTo(const ExecCase& c, std::ostream* os) {
    *os << c.name;
}

class ExecValueTest : public ::testing::TestWithParam<ExecCase> {};

TEST_P(ExecValueTest, QuotesAndEscapesAsDesktopEntriesRequire) {
    EXPECT_EQ(AutostartEntry::execValue(GetParam().executable), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExecValueTest,
    ::testing::Values(ExecCase{"Plain", "/usr/bin/spanlet", "/usr/bin/spanlet"},
                      ExecCase{"Blank", "/opt/my apps/spanlet", "\"/opt/my apps/spanlet\""},
                      // Quoting escapes $ with a backslash, which the string escape doubles.

                      ExecCase{"Quote", "/opt/a\"b", "\"/opt/a\\\\\"b\""},
                      ExecCase{"Backslash", "/opt/a\\b", "\"/opt/a\\\\\\\\b\""},
                      ExecCase{"Percent", "/opt/100%/spanlet", "/opt/100%%/spanlet"}),
    [](const auto& row) { return row.param.name; });

struct HiddenCase {
    std::string name;
    std::string text;
    bool hidden;
};

void PrintTo(const HiddenCase& c, std::ostream* os) {
    *os << c.name;
}

class HiddenTest : public ::testing::TestWithParam<HiddenCase> {};

TEST_P(HiddenTest, ReadsHiddenFromTheDesktopEntryGroup) {
    EXPECT_EQ(AutostartEntry::isHidden(GetParam().text), GetParam().hidden);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HiddenTest,
    ::testing::Values(HiddenCase{"NoKey", "[Desktop Entry]\nExec=x\n", false},
                      HiddenCase{"True", "[Desktop Entry]\nHidden=true\n", true},
                      HiddenCase{"BlanksAroundTheEquals", "[Desktop Entry]\nHidden = true\n", true},
                      HiddenCase{"CarriageReturns", "[Desktop Entry]\r\nHidden=true\r\n", true},

                      HiddenCase{"OtherGroup",
                                 "[Desktop Entry]\nExec=x\n[Desktop Action a]\nHidden=true\n",
                                 false},
                      HiddenCase{"SimilarKey", "[Desktop Entry]\nX-Hidden=true\n", false}),
    [](const auto& row) { return row.param.name; });

TEST(AutostartEntryText, WrittenEntryReadsAsShown) {
    const std::string text = AutostartEntry::entryText("/usr/bin/spanlet");
    EXPECT_FALSE(AutostartEntry::isHidden(text));
    EXPECT_NE(text.find("\nName=Spanlet\n"), std::string::npos);
}

// --- Texts -----------------------------------------------------------------------------------

struct ToleranceCase {
    std::string name;
    double tolerance;
    std::string state;
};

void PrintTo(const ToleranceCase& c, std::ostream* os) {
    *os << c.name;
}

class ToleranceStateTest : public ::testing::TestWithParam<ToleranceCase> {};

TEST_P(ToleranceStateTest, ThresholdsAreInclusiveForNormal) {
    EXPECT_EQ(ViewText::toleranceState(GetParam().tolerance), GetParam().state);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ToleranceStateTest,
    ::testing::Values(ToleranceCase{"JustBelowLow", 0.069, "Finds faint edges"},
                      ToleranceCase{"Low", 0.07, "Normal"}, ToleranceCase{"High", 0.3, "Normal"},
                      ToleranceCase{"JustAboveHigh", 0.31, "Strong edges only"}),
    [](const auto& row) { return row.param.name; });

struct ContrastCase {
    std::string name;
    SRGBColor color;
    std::string line;
};

void PrintTo(const ContrastCase& c, std::ostream* os) {
    *os << c.name;
}

class ContrastLineTest : public ::testing::TestWithParam<ContrastCase> {};

TEST_P(ContrastLineTest, RatiosHaveAtMostOneDigit) {
    EXPECT_EQ(ViewText::contrastLine(GetParam().color), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ContrastLineTest,
    ::testing::Values(ContrastCase{"White", SRGBColor(1, 1, 1, 1),
                                   "Contrast with white 1:1 · with black 21:1"},

                      // #777777: luminance 0.184, ratios 4.48 and 4.68.
                      ContrastCase{"MidGrey", SRGBColor::fromRGBA({0x77, 0x77, 0x77, 255}),
                                   "Contrast with white 4.5:1 · with black 4.7:1"},
                      // Alpha plays no part.
                      ContrastCase{"TranslucentWhite", SRGBColor(1, 1, 1, 0.2),
                                   "Contrast with white 1:1 · with black 21:1"}),
    [](const auto& row) { return row.param.name; });

} // namespace
} // namespace spanlet
