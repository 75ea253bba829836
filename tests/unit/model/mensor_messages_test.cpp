#include "ModelFixture.hpp"

namespace spanlet::testing {
namespace {

constexpr const char* kHint = "Turn on edge snapping to measure (Ctrl+Shift+S)";

SRGBColor gray(int level) {
    return SRGBColor::fromRGBA(RGBA::gray(static_cast<std::uint8_t>(level)));
}

// A 60 × 40-point box at global (200, 120) on a display of scale 2: 120 × 80 device pixels.
class MessagesTest : public ModelTest {
protected:
    void SetUp() override {
        addDisplay(1, {0, 0, 1440, 900}, 2, boxScene({200, 120, 60, 40}, 2));
        pointAt({230, 140});
    }
    Mensor& measuring() {
        Mensor& m = started();
        m.enableSnapping();
        advance(0ms);
        return m;
    }
    [[nodiscard]] const std::vector<SRGBColor>& recent() const {
        return model->prefs()->recentColors;
    }
};

TEST_F(MessagesTest, PinWithNothingMeasuredOnlyHints) {
    Mensor& m = started();
    m.measurements().pin();
    EXPECT_EQ(toastText(), kHint);
    EXPECT_EQ(platform.announcer.last(), kHint);
    platform.capture.failPixels = true; // snapping on, but nothing measured
    m.enableSnapping();
    advance(0ms);
    m.measurements().pin();
    EXPECT_EQ(toastText(), "Point at something to measure first");
    EXPECT_TRUE(m.measurements().pinned()->empty());
}

TEST_F(MessagesTest, CopiesTheCurrentMeasurementInTheChosenStyleAndUnit) {
    Mensor& m = measuring();
    m.measurements().pin();
    EXPECT_EQ(toastText(), "Kept 60 × 40 pt");
    m.updatePrefs([](Preferences& p) { p.unit = MeasureUnit::pixels; });
    m.measurements().copyCurrent();
    EXPECT_EQ(platform.clipboard.text, "120 × 80 px");
    EXPECT_EQ(platform.announcer.last(), "Copied 120 by 80 pixels");
    m.updatePrefs([](Preferences& p) { p.copyStyle = CopyStyle::css; });
    m.measurements().copyCurrent(); // CSS lengths are points whatever the unit
    EXPECT_EQ(platform.clipboard.text, "width: 60px;\nheight: 40px;");
    EXPECT_EQ(toastText(), "Copied CSS");

    m.disableSnapping(); // falls back to the last kept measurement
    m.updatePrefs([](Preferences& p) { p.copyStyle = CopyStyle::plain; });
    m.measurements().copyCurrent();
    EXPECT_EQ(platform.clipboard.text, "120 × 80 px");
    m.measurements().clear();
    EXPECT_EQ(toastText(), "Measurements cleared");
    m.measurements().copyCurrent();
    EXPECT_EQ(toastText(), kHint);
    // A cross without a scale is spoken at scale 1.
    m.measurements().copy(Cross{.left = 3, .right = 7, .up = 1, .down = 1, .scale = 0},
                          CopyStyle::plain);
    EXPECT_EQ(platform.announcer.last(), "Copied 10 by 2 pixels");
}

TEST_F(MessagesTest, PickedColoursGoFirstUniqueAndAtMostTwelve) {
    Mensor& m = started();
    m.colors().pick();
    m.colors().pick(); // the first sampler answers "nothing" as it is replaced
    platform.sampler.pick(gray(10));
    EXPECT_EQ(recent(), std::vector{gray(10)});
    EXPECT_EQ(platform.windows.opened, std::vector{Windows::Kind::colors});
    for (int level = 11; level < 23; ++level) {
        m.colors().use(gray(level), false);
    }
    ASSERT_EQ(recent().size(), 12U);
    // The colours view hands over a reference into the list that useColor replaces.
    m.colors().use(recent().back(), false);
    EXPECT_EQ(recent().front(), gray(11));
    EXPECT_EQ(recent().at(1), gray(22));
    // Equal by 8-bit RGBA counts as the same colour.
    m.colors().use(SRGBColor(gray(22).red + 0.0001, gray(22).green, gray(22).blue, 1), false);
    EXPECT_EQ(recent().at(1), gray(11)); // the older equal one is gone
    EXPECT_EQ(platform.saved()->recentColors, recent());
    m.enableSnapping();
    advance(0ms);
    m.colors().pick(); // while snapping: the loupe's colour, at once
    EXPECT_EQ(platform.sampler.shows, 2);
    EXPECT_EQ(platform.clipboard.text, "#000000");
    m.colors().clearRecent();
    EXPECT_TRUE(platform.saved()->recentColors.empty());
}

TEST_F(MessagesTest, UseColorCopiesInThePreferredStyleAndSaysSo) {
    Preferences p = welcomedPrefs();
    p.colorStyle = ColorStyle::nsColor;
    started(p).colors().use(SRGBColor(0.1, 0.2, 0.3, 0.5), false);
    EXPECT_EQ(platform.clipboard.text, "NSColor(srgbRed: 0.1, green: 0.2, blue: 0.3, alpha: 0.5)");
    EXPECT_EQ(toastText(), "Copied #1A334D80 as NSColor");
    EXPECT_EQ(platform.announcer.last(),
              "Copied color red 26, green 51, blue 77, opacity 50 percent");
}

TEST_F(MessagesTest, SnappingWithoutPermissionOnlyOpensTheExplainer) {
    Mensor& m = started();
    platform.permission.granted = false;
    m.toggleSnapping();
    EXPECT_FALSE(*m.snapping());
    EXPECT_EQ(platform.windows.opened, std::vector{Windows::Kind::explainer});
    // Where the session can't be read at all, the colour picker would pick from a blank
    // screen: the explainer says why instead.
    platform.permission.denied = {CaptureAccess::State::unavailable, {}, "Not here."};
    m.colors().pick();
    EXPECT_EQ(platform.sampler.shows, 0);
    EXPECT_EQ(platform.windows.opened, std::vector<Windows::Kind>(2, Windows::Kind::explainer));
    platform.permission.granted = true;
    m.toggleSnapping();
    EXPECT_EQ(platform.announcer.last(), "Edge snapping on");
}

TEST_F(MessagesTest, MessageLastsItsOwnFullDurationAndANewerOneReplacesIt) {
    Mensor& m = started();
    m.messages().show("First");
    advance(1s);
    m.messages().show("Second");
    advance(1399ms); // the first message's timer fires and leaves the second alone
    EXPECT_EQ(toastText(), "Second");
    advance(1ms);
    EXPECT_FALSE(m.messages().toast()->has_value());
    EXPECT_FALSE(m.overlayMode()->shown); // the overlay hides with it
}

// Settings that could not be read, or saved, are told through the same on-screen message.
TEST_F(MessagesTest, SettingsFileProblemsAreShown) {
    platform.defaults.unreadableKeys.insert("preferences");
    Mensor& m = make(platform.preferences.load());
    m.start(); // the first start saves: the unreadable file is set aside first
    advance(0ms);
    EXPECT_TRUE(
        toastText().starts_with("Couldn’t read settings; kept them as ~/preferences.unreadable-"))
        << toastText();
    platform.defaults.refusedKeys.insert("preferences");
    platform.defaults.refusal = StoreFailure::diskFull;
    m.toggleUnit();
    advance(0ms); // after the unit's own message
    EXPECT_EQ(toastText(), "Couldn’t save settings: the disk is full");
}

} // namespace
} // namespace spanlet::testing
