#include "ModelFixture.hpp"

namespace spanlet::testing {
namespace {

class ColorsTest : public ModelTest {
protected:
    void SetUp() override { addDisplay(1, {0, 0, 1440, 900}, 1); }
    static SRGBColor gray(int level) {
        return SRGBColor::fromRGBA(RGBA::gray(static_cast<std::uint8_t>(level)));
    }
};

TEST_F(ColorsTest, RecentColoursPutThePickFirstWithoutDuplicates) {
    Mensor& m = started();
    m.useColor(gray(1), false);
    m.useColor(gray(2), false);
    m.useColor(gray(3), false);
    m.useColor(gray(1), false);
    EXPECT_EQ(m.prefs()->recentColors, (std::vector{gray(1), gray(3), gray(2)}));
    // Equal by 8-bit RGBA counts as the same colour.
    const SRGBColor nearly(gray(2).red + 0.0001, gray(2).green, gray(2).blue, 1);
    m.useColor(nearly, false);
    EXPECT_EQ(m.prefs()->recentColors, (std::vector{nearly, gray(1), gray(3)}));
    EXPECT_EQ(platform.saved()->recentColors, m.prefs()->recentColors);
}

TEST_F(ColorsTest, ThirteenthColourDropsTheOldest) {
    Mensor& m = started();
    for (int i = 1; i <= 13; ++i) {
        m.useColor(gray(i), false);
    }
    ASSERT_EQ(m.prefs()->recentColors.size(), 12U);
    EXPECT_EQ(m.prefs()->recentColors.front(), gray(13));
    EXPECT_EQ(m.prefs()->recentColors.back(), gray(2));
}

struct ColorCopyCase {
    const char* name;
    ColorStyle style;
    SRGBColor color;
    const char* clipboard;
    const char* message;
    const char* announcement;
};

class ColorCopyTest : public ColorsTest, public ::testing::WithParamInterface<ColorCopyCase> {};

TEST_P(ColorCopyTest, CopiesInTheStyleAndSaysSo) {
    const ColorCopyCase& c = GetParam();
    Mensor& m = started();
    m.copyColor(c.color, c.style);
    EXPECT_EQ(platform.clipboard.text, std::optional<std::string>(c.clipboard));
    EXPECT_EQ(toastText(), c.message);
    EXPECT_EQ(platform.announcer.last(), c.announcement);
}

const SRGBColor kColor(0.1, 0.2, 0.3, 1);
const SRGBColor kHalf(0.1, 0.2, 0.3, 0.5);

INSTANTIATE_TEST_SUITE_P(
    Styles, ColorCopyTest,
    ::testing::Values(ColorCopyCase{"hex", ColorStyle::hex, kColor, "#1A334D", "Copied #1A334D",
                                    "Copied color red 26, green 51, blue 77"},

                      ColorCopyCase{"swiftui", ColorStyle::swiftUI, kColor,
                                    "Color(red: 0.1, green: 0.2, blue: 0.3)",
                                    "Copied #1A334D as SwiftUI",
                                    "Copied color red 26, green 51, blue 77"},
                      ColorCopyCase{"nscolor_translucent", ColorStyle::nsColor, kHalf,
                                    "NSColor(srgbRed: 0.1, green: 0.2, blue: 0.3, alpha: 0.5)",
                                    "Copied #1A334D80 as NSColor",
                                    "Copied color red 26, green 51, blue 77, opacity 50 percent"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(ColorsTest, UseColorCopiesInThePreferredStyleAndMayOpenTheColoursWindow) {
    Preferences p = welcomedPrefs();
    p.colorStyle = ColorStyle::rgb;
    Mensor& m = started(p);
    m.useColor(kColor, false);
    EXPECT_EQ(platform.clipboard.text, std::optional<std::string>("rgb(26, 51, 77)"));
    EXPECT_TRUE(platform.windows.opened.empty());
    m.useColor(kColor, true);
    EXPECT_EQ(platform.windows.opened, std::vector{Windows::Kind::colors});
}

TEST_F(ColorsTest, PickWhileSnappingTakesTheLoupeColourAtOnce) {
    platform.displays.screens.clear();
    addDisplay(1, {0, 0, 1440, 900}, 1,
               [](std::int64_t, std::int64_t) { return RGBA(26, 51, 77, 255); });
    Mensor& m = started();
    m.enableSnapping();
    advance(0ms);
    ASSERT_TRUE(m.loupe()->has_value());
    m.pickColor();
    EXPECT_EQ(platform.sampler.shows, 0);
    EXPECT_EQ(platform.clipboard.text, std::optional<std::string>("#1A334D"));
    EXPECT_TRUE(platform.windows.opened.empty());
}

TEST_F(ColorsTest, SamplerPickIsUsedAndOpensTheColoursWindow) {
    Mensor& m = started();
    m.pickColor();
    EXPECT_TRUE(m.samplerOpen());
    platform.sampler.pick(kColor);
    EXPECT_FALSE(m.samplerOpen());
    EXPECT_EQ(m.prefs()->recentColors, std::vector{kColor});
    EXPECT_EQ(platform.windows.opened, std::vector{Windows::Kind::colors});
}

TEST_F(ColorsTest, CancelledSamplerChangesNothing) {
    Mensor& m = started();
    const int saves = platform.saves();
    m.pickColor();
    platform.sampler.pick(std::nullopt);
    EXPECT_FALSE(m.samplerOpen());
    EXPECT_EQ(platform.saves(), saves);
    EXPECT_FALSE(platform.clipboard.text.has_value());
}

TEST_F(ColorsTest, ClearRecentColours) {
    Mensor& m = started();
    m.useColor(kColor, false);
    platform.announcer.spoken.clear();
    m.clearRecentColors();
    EXPECT_TRUE(m.prefs()->recentColors.empty());
    EXPECT_TRUE(platform.saved()->recentColors.empty());
    EXPECT_TRUE(platform.announcer.spoken.empty());
}

using SnappingTest = ColorsTest;

TEST_F(SnappingTest, WithoutPermissionOnlyTheExplainerOpens) {
    Mensor& m = started();
    platform.permission.granted = false;
    m.toggleSnapping();
    EXPECT_FALSE(*m.snapping());
    EXPECT_EQ(platform.windows.opened, std::vector{Windows::Kind::explainer});
    EXPECT_TRUE(platform.announcer.spoken.empty());
}

TEST_F(SnappingTest, AnnouncementsAndUnitMessages) {
    Mensor& m = started();
    m.toggleSnapping();
    EXPECT_EQ(platform.announcer.last(), "Edge snapping on");
    m.toggleSnapping();
    EXPECT_EQ(platform.announcer.last(), "Edge snapping off");
    EXPECT_FALSE(m.live()->has_value());
    EXPECT_FALSE(m.loupe()->has_value());
    m.toggleUnit();
    EXPECT_EQ(toastText(), "Pixels");
    m.toggleUnit();
    EXPECT_EQ(toastText(), "Points");
}

TEST_F(ColorsTest, UsingAColourFromTheRecentListItselfIsSafe) {
    Mensor& m = started();
    m.useColor(kColor, false);
    m.useColor(gray(9), false);
    // The colours view hands over a reference into the list that useColor replaces.
    m.useColor(m.prefs()->recentColors.back(), false);
    EXPECT_EQ(m.prefs()->recentColors, (std::vector{kColor, gray(9)}));
    EXPECT_EQ(platform.clipboard.text, std::optional<std::string>("#1A334D"));
}

TEST_F(ColorsTest, AReplacedSamplersAnswerLeavesTheNewOneOpen) {
    Mensor& m = started();
    m.pickColor();
    m.pickColor(); // the first sampler answers "nothing" as it is replaced
    EXPECT_TRUE(m.samplerOpen());
    platform.sampler.pick(kColor);
    EXPECT_FALSE(m.samplerOpen());
    EXPECT_EQ(m.prefs()->recentColors, std::vector{kColor});
}

} // namespace
} // namespace spanlet::testing
