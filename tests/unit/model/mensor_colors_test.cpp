#include "ModelFixture.hpp"

namespace spanlet::testing {
namespace {

const SRGBColor kColor(0.1, 0.2, 0.3, 1);

SRGBColor gray(int level) {
    return SRGBColor::fromRGBA(RGBA::gray(static_cast<std::uint8_t>(level)));
}

class ColorsTest : public ModelTest {
protected:
    void SetUp() override { addDisplay(1, {0, 0, 1440, 900}, 1); }
    [[nodiscard]] const std::vector<SRGBColor>& recent() const {
        return model->prefs()->recentColors;
    }
};

TEST_F(ColorsTest, RecentColoursPutThePickFirstUniqueAndAtMostTwelve) {
    Mensor& m = started();
    for (const int level : {1, 2, 3, 1}) {
        m.useColor(gray(level), false);
    }
    EXPECT_EQ(recent(), (std::vector{gray(1), gray(3), gray(2)}));
    // Equal by 8-bit RGBA counts as the same colour.
    const SRGBColor nearly(gray(2).red + 0.0001, gray(2).green, gray(2).blue, 1);
    m.useColor(nearly, false);
    EXPECT_EQ(recent(), (std::vector{nearly, gray(1), gray(3)}));
    EXPECT_EQ(platform.saved()->recentColors, recent());

    for (int level = 10; level < 23; ++level) {
        m.useColor(gray(level), false);
    }
    ASSERT_EQ(recent().size(), 12U);
    EXPECT_EQ(recent().front(), gray(22));
    EXPECT_EQ(recent().back(), gray(11));

    // The colours view hands over a reference into the list that useColor replaces.
    m.useColor(recent().back(), false);
    EXPECT_EQ(recent().front(), gray(11));
    EXPECT_EQ(recent().at(1), gray(22));
    EXPECT_EQ(platform.clipboard.text, "#0B0B0B");

    platform.announcer.spoken.clear();
    m.clearRecentColors();
    EXPECT_TRUE(platform.saved()->recentColors.empty());
    EXPECT_TRUE(platform.announcer.spoken.empty());
}

TEST_F(ColorsTest, UseColorCopiesInThePreferredStyleAndSaysSo) {
    struct Row {
        ColorStyle style;
        double alpha;
        const char* clipboard;
        const char* message;
    };
    for (const Row& r :
         {Row{ColorStyle::hex, 1, "#1A334D", "Copied #1A334D"},
          Row{ColorStyle::rgb, 1, "rgb(26, 51, 77)", "Copied rgb(26, 51, 77)"},
          Row{ColorStyle::swiftUI, 1, "Color(red: 0.1, green: 0.2, blue: 0.3)",
              "Copied #1A334D as SwiftUI"},
          Row{ColorStyle::nsColor, 0.5, "NSColor(srgbRed: 0.1, green: 0.2, blue: 0.3, alpha: 0.5)",
              "Copied #1A334D80 as NSColor"}}) {
        SCOPED_TRACE(r.clipboard);
        Preferences p = welcomedPrefs();
        p.colorStyle = r.style;
        started(p).useColor(SRGBColor(0.1, 0.2, 0.3, r.alpha), false);
        EXPECT_EQ(platform.clipboard.text, r.clipboard);
        EXPECT_EQ(toastText(), r.message);
    }
    EXPECT_EQ(platform.announcer.last(),
              "Copied color red 26, green 51, blue 77, opacity 50 percent");
    model->copyColor(kColor, ColorStyle::hex);
    EXPECT_EQ(platform.announcer.last(), "Copied color red 26, green 51, blue 77");
    EXPECT_TRUE(platform.windows.opened.empty());
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
    EXPECT_EQ(platform.clipboard.text, "#1A334D");
    EXPECT_TRUE(platform.windows.opened.empty());
}

TEST_F(ColorsTest, SamplerAnswersOnlyCountForTheNewestOpening) {
    Mensor& m = started();
    m.pickColor();
    platform.sampler.pick(std::nullopt); // cancelled: nothing changes
    EXPECT_FALSE(m.samplerOpen());
    EXPECT_EQ(platform.saves(), 0);
    EXPECT_FALSE(platform.clipboard.text.has_value());

    m.pickColor();
    m.pickColor(); // the first sampler answers "nothing" as it is replaced
    EXPECT_TRUE(m.samplerOpen());
    platform.sampler.pick(kColor);
    EXPECT_FALSE(m.samplerOpen());
    EXPECT_EQ(recent(), std::vector{kColor});
    EXPECT_EQ(platform.windows.opened, std::vector{Windows::Kind::colors});
}

TEST_F(ColorsTest, SnappingAndUnitTogglesSaySo) {
    Mensor& m = started();
    platform.permission.granted = false;
    m.toggleSnapping(); // without permission only the explainer opens
    EXPECT_FALSE(*m.snapping());
    EXPECT_EQ(platform.windows.opened, std::vector{Windows::Kind::explainer});
    EXPECT_TRUE(platform.announcer.spoken.empty());

    platform.permission.granted = true;
    m.toggleSnapping();
    EXPECT_EQ(platform.announcer.last(), "Edge snapping on");
    m.toggleSnapping();
    EXPECT_EQ(platform.announcer.last(), "Edge snapping off");
    m.toggleUnit();
    EXPECT_EQ(toastText(), "Pixels");
    m.toggleUnit();
    EXPECT_EQ(toastText(), "Points");
}

} // namespace
} // namespace spanlet::testing
