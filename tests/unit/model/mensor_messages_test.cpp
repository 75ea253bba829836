#include "ModelFixture.hpp"

namespace spanlet::testing {
namespace {

constexpr const char* kHint = "Turn on edge snapping to measure (⌃⇧S)";

// A 60 × 40-point box at global (200, 120) on a display of scale 2: 120 × 80 device pixels.
class MessagesTest : public ModelTest {
protected:
    void SetUp() override {
        addDisplay(1, {0, 0, 1440, 900}, 2, boxScene({200, 120, 60, 40}, 2));
        pointAt({230, 140});
    }
    /// Snapping on with the box measured.
    Mensor& measuring() {
        Mensor& m = started();
        m.enableSnapping();
        advance(0ms);
        platform.announcer.spoken.clear();
        return m;
    }
};

TEST_F(MessagesTest, PinWithNothingLiveOnlyHints) {
    Mensor& m = started();
    m.pinMeasurement();
    EXPECT_EQ(toastText(), kHint);
    EXPECT_EQ(platform.announcer.last(), kHint);

    platform.capture.failPixels = true; // snapping on, but nothing measured
    m.enableSnapping();
    advance(0ms);
    m.pinMeasurement();
    EXPECT_EQ(toastText(), "Point at something to measure first");
    EXPECT_TRUE(m.pinned()->empty());
}

TEST_F(MessagesTest, PinningKeepsEveryEntryAndSaysItInTheCurrentUnit) {
    Mensor& m = measuring();
    m.pinMeasurement();
    EXPECT_EQ(toastText(), "Kept 60 × 40 pt");
    EXPECT_EQ(platform.announcer.last(), "Kept 60 × 40 pt");
    m.toggleUnit();
    m.pinMeasurement();
    EXPECT_EQ(toastText(), "Kept 120 × 80 px");
    ASSERT_EQ(m.pinned()->size(), 2U);
    EXPECT_EQ((*m.pinned())[0].cross, (*m.pinned())[1].cross);
    EXPECT_NE((*m.pinned())[0].id, (*m.pinned())[1].id);
}

TEST_F(MessagesTest, CopiesTheCurrentMeasurementInTheChosenStyleAndUnit) {
    struct Row {
        CopyStyle style;
        MeasureUnit unit;
        const char* clipboard;
        const char* message;
        const char* announcement;
    };
    Mensor& m = measuring();
    for (const Row& r :
         {Row{CopyStyle::plain, MeasureUnit::points, "60 × 40 pt", "Copied 60 × 40 pt",
              "Copied 60 by 40 points"},
          Row{CopyStyle::plain, MeasureUnit::pixels, "120 × 80 px", "Copied 120 × 80 px",
              "Copied 120 by 80 pixels"},
          Row{CopyStyle::css, MeasureUnit::pixels, "width: 60px;\nheight: 40px;", "Copied CSS",
              "Copied 120 by 80 pixels"},
          Row{CopyStyle::swiftUI, MeasureUnit::points, ".frame(width: 60, height: 40)",
              "Copied SwiftUI", "Copied 60 by 40 points"}}) {
        SCOPED_TRACE(r.clipboard);
        m.updatePrefs([&](Preferences& p) {
            p.copyStyle = r.style;
            p.unit = r.unit;
        });
        m.copyMeasurement();
        EXPECT_EQ(platform.clipboard.text, r.clipboard);
        EXPECT_EQ(toastText(), r.message);
        EXPECT_EQ(platform.announcer.last(), r.announcement);
    }
}

TEST_F(MessagesTest, CopyFallsBackToTheLastKeptMeasurementElseOnlyHints) {
    Mensor& m = measuring();
    m.pinMeasurement();
    m.disableSnapping();
    m.copyMeasurement();
    EXPECT_EQ(platform.clipboard.text, "60 × 40 pt");

    platform.clipboard.text.reset();
    m.clearMeasurements();
    m.copyMeasurement();
    EXPECT_FALSE(platform.clipboard.text.has_value());
    EXPECT_EQ(toastText(), kHint);
}

TEST_F(MessagesTest, CrossWithoutScaleIsSpokenAtScaleOne) {
    started().copy(Cross{.left = 3, .right = 7, .up = 1, .down = 1, .scale = 0}, CopyStyle::plain);
    EXPECT_EQ(platform.announcer.last(), "Copied 10 by 2 points");
}

TEST_F(MessagesTest, RemoveAndClearKeptMeasurements) {
    Mensor& m = measuring();
    m.clearMeasurements(); // nothing kept: nothing shown or said
    EXPECT_FALSE(m.toast()->has_value());
    EXPECT_TRUE(platform.announcer.spoken.empty());

    m.pinMeasurement();
    m.pinMeasurement();
    m.pinMeasurement();
    const Uuid middle = (*m.pinned())[1].id;
    const Uuid last = (*m.pinned())[2].id;
    advance(2s);
    m.removePinned(middle);
    ASSERT_EQ(m.pinned()->size(), 2U);
    EXPECT_EQ((*m.pinned())[1].id, last);
    EXPECT_FALSE(m.toast()->has_value()); // removing shows nothing
    m.clearMeasurements();
    EXPECT_TRUE(m.pinned()->empty());
    EXPECT_EQ(toastText(), "Measurements cleared");
}

TEST_F(MessagesTest, MessageLastsItsOwnFullDurationAndANewerOneReplacesIt) {
    Mensor& m = started();
    m.show("First", std::string("Spoken"));
    EXPECT_EQ(platform.announcer.spoken, std::vector<std::string>{"Spoken"});
    advance(1s);
    m.show("Second");
    advance(400ms); // the first message's timer fires and leaves the second alone
    EXPECT_EQ(toastText(), "Second");
    advance(999ms);
    EXPECT_EQ(toastText(), "Second");
    platform.log.clear();
    advance(1ms);
    EXPECT_FALSE(m.toast()->has_value());
    EXPECT_FALSE(m.needsOverlay());
    EXPECT_EQ(platform.log.entries.at(1), "overlay.refresh"); // hiding it redraws
}

} // namespace
} // namespace spanlet::testing
