#include <limits>

#include "ModelFixture.hpp"

namespace spanlet::testing {
namespace {

constexpr const char* kUnreadable = "Can’t read this part of the screen";

// A box at global (200, 120)–(260, 160) on a display at (0, 0) of scale 2.
class TrackingTest : public ModelTest {
protected:
    void SetUp() override {
        addDisplay(1, {0, 0, 1440, 900}, 2, boxScene({200, 120, 60, 40}, 2));
        pointAt({230, 140});
    }
    /// Whole captures started (row, column and loupe each).
    [[nodiscard]] int captures() const { return platform.capture.pixelRequests / 3; }
    [[nodiscard]] int filters() const { return platform.capture.filterRequests; }
    /// Snapping on; the first capture starts at once.
    Mensor& snapping(Clock::Duration latency = 0ms) {
        Mensor& m = started();
        platform.capture.latency = latency;
        m.enableSnapping();
        advance(0ms);
        return m;
    }
};

// Ruler, snapping and guide editor each keep the task alive; only snapping captures.
TEST_F(TrackingTest, PointerTaskRunsEvery16msWhileAnySwitchIsOn) {
    Mensor& m = started();
    m.toggleRuler();
    advance(0ms);
    const int first = platform.displays.pointerReads;
    advance(160ms);
    EXPECT_EQ(platform.displays.pointerReads - first, 10);
    pointAt({300, 300});
    advance(16ms);
    EXPECT_EQ(*m.pointer(), (Point{300, 300})); // the task follows the pointer
    EXPECT_EQ(platform.capture.pixelRequests + filters(), 0);

    m.enableSnapping();
    m.toggleRuler();
    EXPECT_TRUE(m.hasPointerTask());
    m.startEditingGuides();
    m.disableSnapping();
    EXPECT_TRUE(m.hasPointerTask());
    m.finishEditingGuides();
    EXPECT_FALSE(m.hasPointerTask());
    const int stopped = platform.displays.pointerReads;
    advance(1s);
    EXPECT_EQ(platform.displays.pointerReads, stopped);
    EXPECT_EQ(platform.clock.pending(), 0U);
}

TEST_F(TrackingTest, OneCaptureInFlightAndAStillPointerWaitsHalfASecond) {
    Mensor& m = snapping(100ms); // filter 100 ms, then pixels 100 ms
    advance(199ms);
    EXPECT_TRUE(m.capturing());
    EXPECT_EQ(captures(), 1);
    advance(1ms); // t = 200: the result is applied
    EXPECT_FALSE(m.capturing());
    EXPECT_TRUE(m.live()->has_value());
    const Clock::Instant finished = m.lastCapture();

    // Still pointer: nothing until more than 0.5 s after the previous capture finished.
    advance(500ms); // t = 700: iterations ran at 688 and 704 is still ahead
    EXPECT_EQ(captures(), 1);
    advance(4ms); // t = 704
    EXPECT_EQ(captures(), 2);
    EXPECT_GT(platform.clock.now() - finished, Mensor::captureInterval);
    EXPECT_EQ(platform.capture.maxInFlight, 3);
    EXPECT_EQ(filters(), 1); // reused from the cache
}

TEST_F(TrackingTest, MovingPointerIsCapturedInTheNextIterationAfterTheLastFinished) {
    Mensor& m = snapping(40ms); // filter at 40, pixels at 80
    advance(80ms);
    ASSERT_FALSE(m.capturing());
    pointAt({231, 140});
    advance(16ms); // t = 96: the next iteration captures at once
    EXPECT_EQ(captures(), 2);
    pointAt({232, 140});
    advance(16ms); // still in flight: the moved pointer waits
    EXPECT_EQ(captures(), 2);
    advance(64ms);
    EXPECT_EQ(captures(), 3);
}

TEST_F(TrackingTest, FilterCacheLivesFiveSeconds) {
    Mensor& m = snapping(); // filter made at t = 0
    advance(4990ms);
    EXPECT_EQ(filters(), 1);
    EXPECT_GT(captures(), 5);
    advance(600ms); // the next capture after t = 5 s asks afresh
    EXPECT_EQ(filters(), 2);
    EXPECT_EQ(m.cachedFilterCount(), 1U);
}

// The text depends only on the permission, not on which capture failed.
TEST_F(TrackingTest, FailedCaptureDropsTheFilterAndShowsTheProblemUntilOneSucceeds) {
    Mensor& m = snapping();
    platform.capture.failPixels = true;
    pointAt({231, 140});
    advance(16ms);
    EXPECT_FALSE(m.live()->has_value());
    EXPECT_FALSE(m.loupe()->has_value());
    EXPECT_EQ(m.cachedFilterCount(), 0U);
    EXPECT_EQ(*m.captureProblem(), kUnreadable);

    platform.capture.failPixels = false;
    pointAt({232, 140});
    advance(16ms);
    EXPECT_EQ(filters(), 2);
    EXPECT_TRUE(m.live()->has_value());
    EXPECT_FALSE(m.captureProblem()->has_value());

    platform.permission.granted = false;
    platform.capture.failFilter = true;
    platform.capture.failPixels = true;
    advance(600ms);
    EXPECT_EQ(*m.captureProblem(), "Allow Screen Recording in System Settings to snap to edges");
    m.disableSnapping();
    EXPECT_FALSE(m.captureProblem()->has_value());
}

TEST_F(TrackingTest, DisplayChangeDropsCachedAndRequestedFilters) {
    Mensor& m = snapping(50ms); // filter request in flight
    platform.displays.fireScreensChanged();
    advance(100ms); // the old filter arrives and serves its capture, but is not kept
    EXPECT_TRUE(m.live()->has_value());
    EXPECT_EQ(m.cachedFilterCount(), 0U);

    advance(600ms);
    EXPECT_EQ(filters(), 2);
    ASSERT_EQ(m.cachedFilterCount(), 1U);
    platform.displays.fireScreensChanged();
    EXPECT_EQ(m.cachedFilterCount(), 0U);
}

TEST_F(TrackingTest, AnswersArrivingAfterSnappingWentOffAreDropped) {
    for (const bool fail : {false, true}) {
        platform.capture.failPixels = fail;
        Mensor& m = snapping(100ms);
        advance(150ms); // pixels in flight
        ASSERT_TRUE(m.capturing());
        m.disableSnapping();
        advance(100ms);
        EXPECT_FALSE(m.capturing());
        EXPECT_FALSE(m.live()->has_value() || m.loupe()->has_value());
        EXPECT_FALSE(m.captureProblem()->has_value());
        // A filter whose capture failed is not reused later.
        EXPECT_EQ(m.cachedFilterCount(), fail ? 0U : 1U) << fail;
    }
}

// Clamped to 0…1; NaN gives the default 0.1.
TEST_F(TrackingTest, StoredToleranceIsLimitedBeforeItFeedsTheEdgeOptions) {
    Preferences p = welcomedPrefs();
    for (const auto& [stored, usable] :
         {std::pair{5.0, 1.0}, {-1.0, 0.0}, {std::numeric_limits<double>::quiet_NaN(), 0.1}}) {
        p.tolerance = stored;
        EXPECT_DOUBLE_EQ(make(p).edgeOptions().threshold,
                         EdgeOptions::fromTolerance(usable).threshold)
            << stored;
    }
}

TEST_F(TrackingTest, NoDisplayMeansNoCapture) {
    platform.displays.screens.clear();
    Mensor& m = snapping();
    advance(1s);
    EXPECT_EQ(filters(), 0);
    EXPECT_FALSE(m.capturing());
}

} // namespace
} // namespace spanlet::testing
