#include "ModelFixture.hpp"

namespace spanlet::testing {
namespace {

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
    EXPECT_EQ(toastText(), "Turn on edge snapping to measure (⌃⇧S)");
    EXPECT_EQ(platform.announcer.last(), "Turn on edge snapping to measure (⌃⇧S)");

    platform.capture.failPixels = true; // snapping on, but nothing measured
    m.enableSnapping();
    advance(0ms);
    m.pinMeasurement();
    EXPECT_EQ(toastText(), "Point at something to measure first");
    EXPECT_TRUE(m.pinned()->empty());
}

TEST_F(MessagesTest, PinningTwiceKeepsTwoEntriesWithDifferentIds) {
    Mensor& m = measuring();
    m.pinMeasurement();
    m.pinMeasurement();
    ASSERT_EQ(m.pinned()->size(), 2U);
    EXPECT_EQ((*m.pinned())[0].cross, (*m.pinned())[1].cross);
    EXPECT_NE((*m.pinned())[0].id, (*m.pinned())[1].id);
    EXPECT_EQ(toastText(), "Kept 60 × 40 pt");
    EXPECT_EQ(platform.announcer.last(), "Kept 60 × 40 pt");
}

TEST_F(MessagesTest, PinUsesThePlainTextInTheCurrentUnit) {
    Mensor& m = measuring();
    m.toggleUnit();
    m.pinMeasurement();
    EXPECT_EQ(toastText(), "Kept 120 × 80 px");
}

struct CopyCase {
    const char* name;
    CopyStyle style;
    MeasureUnit unit;
    const char* clipboard;
    const char* message;
    const char* announcement;
};

class CopyTest : public MessagesTest, public ::testing::WithParamInterface<CopyCase> {};

TEST_P(CopyTest, CopiesTheCurrentMeasurement) {
    const CopyCase& c = GetParam();
    Mensor& m = measuring();
    m.updatePrefs([&](Preferences& p) {
        p.copyStyle = c.style;
        p.unit = c.unit;
    });
    m.copyMeasurement();
    EXPECT_EQ(platform.clipboard.text, std::optional<std::string>(c.clipboard));
    EXPECT_EQ(toastText(), c.message);
    EXPECT_EQ(platform.announcer.last(), c.announcement);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, CopyTest,
    ::testing::Values(CopyCase{"plain_points", CopyStyle::plain, MeasureUnit::points, "60 × 40 pt",
                               "Copied 60 × 40 pt", "Copied 60 by 40 points"},
                      CopyCase{"plain_pixels", CopyStyle::plain, MeasureUnit::pixels, "120 × 80 px",
                               "Copied 120 × 80 px", "Copied 120 by 80 pixels"},
                      CopyCase{"css", CopyStyle::css, MeasureUnit::pixels,
                               "width: 60px;\nheight: 40px;", "Copied CSS",
                               "Copied 120 by 80 pixels"},
                      CopyCase{"swiftui", CopyStyle::swiftUI, MeasureUnit::points,
                               ".frame(width: 60, height: 40)", "Copied SwiftUI",
                               "Copied 60 by 40 points"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(MessagesTest, CopyWithNothingToCopyLeavesTheClipboardAlone) {
    Mensor& m = measuring();
    m.disableSnapping();
    m.copyMeasurement();
    EXPECT_FALSE(platform.clipboard.text.has_value());
    EXPECT_EQ(toastText(), "Turn on edge snapping to measure (⌃⇧S)");
}

TEST_F(MessagesTest, CopyFallsBackToTheLastKeptMeasurement) {
    Mensor& m = measuring();
    m.pinMeasurement();
    m.disableSnapping();
    m.copyMeasurement();
    EXPECT_EQ(platform.clipboard.text, std::optional<std::string>("60 × 40 pt"));
}

TEST_F(MessagesTest, CrossWithoutScaleIsSpokenAtScaleOne) {
    Mensor& m = started();
    Cross c;
    c.left = 3;
    c.right = 7;
    c.up = 1;
    c.down = 1;
    c.scale = 0;
    m.copy(c, CopyStyle::plain);
    EXPECT_EQ(platform.announcer.last(), "Copied 10 by 2 points");
}

TEST_F(MessagesTest, ClearingAnEmptyListDoesNothing) {
    Mensor& m = started();
    m.clearMeasurements();
    EXPECT_FALSE(m.toast()->has_value());
    EXPECT_TRUE(platform.announcer.spoken.empty());
}

TEST_F(MessagesTest, ClearAndRemoveKeptMeasurements) {
    Mensor& m = measuring();
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

TEST_F(MessagesTest, MessageIsAnnouncedAndShownThenGoes) {
    Mensor& m = started();
    m.show("Hello", std::string("Spoken"));
    EXPECT_EQ(platform.announcer.spoken, std::vector<std::string>{"Spoken"});
    EXPECT_TRUE(m.needsOverlay());
    advance(Mensor::toastDuration);
    EXPECT_FALSE(m.toast()->has_value());
    EXPECT_FALSE(m.needsOverlay());
}

} // namespace
} // namespace spanlet::testing
