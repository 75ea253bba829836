#include "ModelFixture.hpp"

namespace spanlet::testing {
namespace {

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
    Mensor& snapping(Clock::Duration latency = 0ms) {
        Mensor& m = started();
        platform.capture.latency = latency;
        m.enableSnapping();
        advance(0ms);
        return m;
    }
};

// Ruler, snapping and guide editor each have the pointer followed; only snapping captures.
TEST_F(TrackingTest, EachSwitchHasThePointerPushedAndAnIdleModelWatchesNothing) {
    Mensor& m = started();
    EXPECT_FALSE(platform.displays.watchingPointer());
    m.ruler().toggle();
    pointAt({300, 200});
    EXPECT_EQ(*m.tracking().pointer(), (Point{300, 200})); // no clock tick needed
    EXPECT_EQ(*m.tracking().pointerScreen(), std::optional<std::uint32_t>(1));
    EXPECT_EQ(platform.capture.pixelRequests + filters(), 0);
    m.guides().startEditing();
    m.ruler().toggle();
    EXPECT_TRUE(platform.displays.watchingPointer());
    m.guides().finishEditing();
    EXPECT_FALSE(platform.displays.watchingPointer());
    EXPECT_EQ(platform.clock.pending(), 0U);
}

// Where the platform has not seen the pointer yet (on Wayland, until our surfaces have), its
// placeholder is not measured: the first move pushed is.
TEST_F(TrackingTest, APointerNotSeenYetIsMeasuredFromItsFirstMove) {
    platform.displays.known = false;
    Mensor& m = snapping();
    advance(PointerTracking::remeasureInterval);
    EXPECT_EQ(captures() + filters(), 0);
    pointAt({230, 140});
    advance(0ms);
    EXPECT_TRUE(m.tracking().live().has_value());
}

// A move is measured as it is pushed, or as soon as the capture in flight lands; a still
// pointer is measured again once a second, with nothing else scheduled meanwhile.
TEST_F(TrackingTest, OneCaptureInFlightAndAStillPointerIsMeasuredOnceASecond) {
    Mensor& m = snapping(100ms); // filter 100 ms, then pixels 100 ms
    advance(199ms);
    EXPECT_TRUE(m.tracking().capturing());
    pointAt({231, 140}); // moved while in flight: waits
    EXPECT_EQ(captures(), 1);
    advance(1ms); // t = 200: the result is applied and the moved pointer captured at once
    EXPECT_TRUE(m.tracking().live().has_value());
    EXPECT_EQ(captures(), 2);
    advance(100ms); // lands at 300
    EXPECT_EQ(platform.clock.pending(), 1U);
    advance(PointerTracking::remeasureInterval - 1ms);
    EXPECT_EQ(captures(), 2);
    advance(1ms);
    EXPECT_EQ(captures(), 3);
    EXPECT_EQ(platform.capture.maxInFlight, 3);
    advance(100ms);
    // A moving pointer keeps the one timer rather than setting one per capture that lands.
    fakes::CallLog log;
    platform.clock.log = &log;
    const int before = captures();
    for (double x = 232; x < 242; ++x) {
        pointAt({x, 140});
        advance(100ms);
    }
    EXPECT_EQ(captures(), 13);
    // Each capture's answers come through the clock, one per request; the rest are timers.
    EXPECT_LE(log.entries.size() - 3U * static_cast<unsigned>(captures() - before), 1U);
    platform.clock.log = nullptr;
    advance(PointerTracking::remeasureInterval - 1ms);
    EXPECT_EQ(captures(), 13); // a second after the last capture, not after the first
    advance(1ms);
    EXPECT_EQ(captures(), 14);
    EXPECT_EQ(filters(), 1); // reused from the cache for five seconds
    advance(5s);
    EXPECT_EQ(filters(), 2);
    platform.displays.fireScreensChanged();
    EXPECT_EQ(m.tracking().cachedFilterCount(), 0U);
}

// Where the platform reports changes, a pointer still for a second is watched rather than
// measured again, until a change is reported or what it is measured with changes; it is still
// measured at most once a second. A moving pointer is never watched.
TEST_F(TrackingTest, WhereChangesAreReportedAStillPointerWaitsForOne) {
    platform.capture.reportsChanges = true;
    Mensor& m = snapping();
    EXPECT_FALSE(platform.capture.watched());
    advance(PointerTracking::remeasureInterval);
    EXPECT_TRUE(platform.capture.watched());
    advance(10s);
    EXPECT_EQ(captures(), 1);
    EXPECT_EQ(platform.clock.pending(), 0U);
    platform.capture.change();
    advance(0ms);
    EXPECT_EQ(captures(), 2);
    advance(PointerTracking::remeasureInterval);
    platform.capture.change();
    advance(0ms);
    platform.capture.change(); // nothing watched: measuring
    EXPECT_EQ(captures(), 3);
    pointAt({231, 140});
    EXPECT_EQ(captures(), 4);
    EXPECT_FALSE(platform.capture.watched());
    advance(0ms);
    m.updatePrefs([](Preferences& p) { p.tolerance = 0.5; });
    advance(PointerTracking::remeasureInterval);
    EXPECT_EQ(captures(), 5);
    advance(PointerTracking::remeasureInterval);
    EXPECT_TRUE(platform.capture.watched());
    EXPECT_EQ(captures(), 5);
}

// The text depends only on where the permission stands, not on which capture failed.
TEST_F(TrackingTest, FailedCaptureDropsTheFilterAndShowsTheProblemUntilOneSucceeds) {
    Mensor& m = snapping();
    platform.capture.failPixels = true;
    pointAt({231, 140});
    advance(0ms);
    EXPECT_FALSE(m.tracking().live().has_value());
    EXPECT_EQ(m.tracking().cachedFilterCount(), 0U);
    EXPECT_EQ(m.tracking().captureProblem(), "Can’t read this part of the screen");
    platform.permission.granted = false;
    platform.capture.failFilter = true;
    advance(PointerTracking::remeasureInterval);
    EXPECT_EQ(m.tracking().captureProblem(),
              "Allow Screen Recording in Spanlet’s Settings to snap to edges");
    platform.permission.denied = {CaptureAccess::State::unavailable, {}, "Xwayland"};
    advance(PointerTracking::remeasureInterval);
    EXPECT_EQ(m.tracking().captureProblem(), "Edge snapping can’t read the screen in this session");
    platform.capture.failPixels = platform.capture.failFilter = false;
    advance(PointerTracking::remeasureInterval);
    EXPECT_TRUE(m.tracking().live().has_value());
    EXPECT_FALSE(m.tracking().captureProblem().has_value());
}

TEST_F(TrackingTest, AnswersArrivingAfterSnappingWentOffAreDropped) {
    Mensor& m = snapping(100ms);
    advance(150ms); // pixels in flight
    m.disableSnapping();
    advance(100ms);
    EXPECT_FALSE(m.tracking().capturing());
    EXPECT_FALSE(m.tracking().live().has_value() || m.tracking().loupe().has_value());
}

// Views redraw once per capture: the pointer, the measurement, the loupe and the problem arrive
// as one change, and a capture that finds the same again changes nothing.
TEST_F(TrackingTest, EachCaptureIsPublishedAsOneFrameWithItsPointer) {
    Mensor& m = snapping(5ms);
    std::vector<LiveFrame> frames;
    const Subscription watch = m.tracking().liveFrame().subscribe(
        [&](const LiveFrame& frame) { frames.push_back(frame); });
    advance(10ms);
    ASSERT_EQ(frames.size(), 1U);
    pointAt({240, 150});
    advance(10ms);
    ASSERT_EQ(frames.size(), 2U);
    EXPECT_EQ(frames[1].pointer, (Point{240, 150}));
    EXPECT_EQ(frames[1].pointerScreen, std::optional<std::uint32_t>(1));
    ASSERT_TRUE(frames[1].cross && frames[1].loupe);
    EXPECT_EQ(frames[1].cross->pointerX, 240);
    advance(2s); // still: captured again, the same frame
    EXPECT_EQ(frames.size(), 2U);
    platform.capture.failPixels = true;
    pointAt({241, 150});
    advance(10ms);
    ASSERT_EQ(frames.size(), 3U);
    EXPECT_FALSE(frames[2].cross || frames[2].loupe);
    EXPECT_TRUE(frames[2].captureProblem.has_value());
}

} // namespace
} // namespace spanlet::testing
