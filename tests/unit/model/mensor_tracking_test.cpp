#include <functional>

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
    /// Pixel requests of whole captures (row, column and loupe each).
    [[nodiscard]] int captures() const { return platform.capture.pixelRequests / 3; }
};

struct SwitchCase {
    const char* name;
    std::function<void(Mensor&)> on;
    std::function<void(Mensor&)> off;
};

class PointerTaskTest : public TrackingTest, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(PointerTaskTest, RunsEvery16msExactlyWhileSwitchedOn) {
    Mensor& m = started();
    EXPECT_FALSE(m.hasPointerTask());
    GetParam().on(m);
    EXPECT_TRUE(m.hasPointerTask());

    advance(0ms);
    const int first = platform.displays.pointerReads;
    advance(160ms);
    EXPECT_EQ(platform.displays.pointerReads - first, 10);
    pointAt({300, 300});
    advance(16ms);
    EXPECT_EQ(*m.pointer(), (Point{300, 300})); // the task follows the pointer

    GetParam().off(m);
    EXPECT_FALSE(m.hasPointerTask());
    const int stopped = platform.displays.pointerReads;
    advance(1s);
    EXPECT_EQ(platform.displays.pointerReads, stopped);
}

INSTANTIATE_TEST_SUITE_P(
    Switches, PointerTaskTest,
    ::testing::Values(SwitchCase{"ruler", [](Mensor& m) { m.toggleRuler(); },
                                 [](Mensor& m) { m.toggleRuler(); }},
                      SwitchCase{"snapping", [](Mensor& m) { m.enableSnapping(); },
                                 [](Mensor& m) { m.disableSnapping(); }},
                      SwitchCase{"editor", [](Mensor& m) { m.startEditingGuides(); },
                                 [](Mensor& m) { m.finishEditingGuides(); }}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(TrackingTest, TaskKeepsRunningWhileAnySwitchIsOn) {
    Mensor& m = started();
    m.toggleRuler();
    m.enableSnapping();
    m.disableSnapping();
    EXPECT_TRUE(m.hasPointerTask());
    m.startEditingGuides();
    m.toggleRuler();
    EXPECT_TRUE(m.hasPointerTask());
    m.finishEditingGuides();
    EXPECT_FALSE(m.hasPointerTask());
    EXPECT_EQ(platform.clock.pending(), 0U); // no message was shown, and the task is gone
}

TEST_F(TrackingTest, WithOnlyTheRulerNothingIsCaptured) {
    Mensor& m = started();
    m.toggleRuler();
    advance(2s);
    EXPECT_EQ(platform.capture.pixelRequests, 0);
    EXPECT_EQ(platform.capture.filterRequests, 0);
}

TEST_F(TrackingTest, SnappingPublishesTheLiveMeasurementAndLoupe) {
    Mensor& m = started();
    m.enableSnapping();
    advance(0ms);
    ASSERT_TRUE(m.live()->has_value());
    EXPECT_DOUBLE_EQ((*m.live())->minX, 200);
    EXPECT_DOUBLE_EQ((*m.live())->maxY, 160);
    ASSERT_TRUE(m.loupe()->has_value());
    EXPECT_EQ((*m.loupe())->color, SRGBColor::fromRGBA(RGBA::black));
    EXPECT_FALSE(m.capturing());
    EXPECT_EQ(m.lastCapturePointer(), (Point{230, 140}));
    EXPECT_EQ(m.lastCapture(), platform.clock.now());
}

TEST_F(TrackingTest, OneCaptureInFlightAndAStillPointerWaitsHalfASecond) {
    Mensor& m = started();
    platform.capture.latency = 100ms; // filter 100 ms, then pixels 100 ms
    m.enableSnapping();
    advance(0ms);
    EXPECT_TRUE(m.capturing());
    advance(199ms);
    EXPECT_EQ(captures(), 1);
    EXPECT_EQ(platform.capture.maxInFlight, 3);
    advance(1ms); // t = 200: the result is applied
    EXPECT_FALSE(m.capturing());
    const Clock::Instant finished = m.lastCapture();

    // Still pointer: nothing until more than 0.5 s after the previous capture finished.
    advance(500ms); // t = 700: iterations ran at 688 and 704 is still ahead
    EXPECT_EQ(captures(), 1);
    advance(4ms); // t = 704
    EXPECT_EQ(captures(), 2);
    EXPECT_GT(platform.clock.now() - finished, Mensor::captureInterval);
    EXPECT_EQ(platform.capture.maxInFlight, 3);
    EXPECT_EQ(platform.capture.filterRequests, 1); // reused from the cache
}

TEST_F(TrackingTest, MovingPointerIsCapturedInTheNextIterationAfterTheLastFinished) {
    Mensor& m = started();
    platform.capture.latency = 40ms;
    m.enableSnapping();
    advance(0ms);  // capture 1 starts; filter at 40, pixels at 80
    advance(80ms); // t = 80: applied
    ASSERT_FALSE(m.capturing());
    EXPECT_EQ(captures(), 1);
    pointAt({231, 140});
    advance(16ms); // t = 96: the next iteration captures at once
    EXPECT_EQ(captures(), 2);

    // A pointer that keeps moving never has two captures in flight.
    for (int i = 0; i < 100; ++i) {
        pointAt({232.0 + i, 140});
        advance(16ms);
    }
    EXPECT_EQ(platform.capture.maxInFlight, 3);
    EXPECT_GT(captures(), 30);
}

TEST_F(TrackingTest, FilterCacheLivesFiveSeconds) {
    Mensor& m = started();
    m.enableSnapping();
    advance(0ms); // filter made at t = 0
    EXPECT_EQ(platform.capture.filterRequests, 1);
    advance(4990ms);
    EXPECT_EQ(platform.capture.filterRequests, 1);
    EXPECT_GT(captures(), 5);
    advance(600ms); // the next capture after t = 5 s asks afresh
    EXPECT_EQ(platform.capture.filterRequests, 2);
    EXPECT_EQ(m.cachedFilterCount(), 1U);
}

TEST_F(TrackingTest, FailedCaptureDropsTheFilterAndShowsTheProblem) {
    Mensor& m = started();
    m.enableSnapping();
    advance(0ms);
    ASSERT_TRUE(m.live()->has_value());
    platform.capture.failPixels = true;
    pointAt({231, 140});
    advance(16ms);
    EXPECT_FALSE(m.live()->has_value());
    EXPECT_FALSE(m.loupe()->has_value());
    EXPECT_EQ(m.cachedFilterCount(), 0U);
    EXPECT_EQ(*m.captureProblem(),
              std::optional<std::string>("Can’t read this part of the screen"));

    platform.capture.failPixels = false;
    pointAt({232, 140});
    advance(16ms);
    EXPECT_EQ(platform.capture.filterRequests, 2);
    EXPECT_TRUE(m.live()->has_value());
    EXPECT_FALSE(m.captureProblem()->has_value());
}

struct ProblemCase {
    const char* name;
    bool granted;
    bool failFilter;
    const char* text;
};

class CaptureProblemTest : public TrackingTest,
                           public ::testing::WithParamInterface<ProblemCase> {};

TEST_P(CaptureProblemTest, TextDependsOnlyOnThePermission) {
    Mensor& m = started();
    m.enableSnapping();
    platform.permission.granted = GetParam().granted;
    platform.capture.failFilter = GetParam().failFilter;
    platform.capture.failPixels = !GetParam().failFilter;
    advance(0ms);
    EXPECT_EQ(*m.captureProblem(), std::optional<std::string>(GetParam().text));
    EXPECT_FALSE(m.live()->has_value());
    m.disableSnapping();
    EXPECT_FALSE(m.captureProblem()->has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CaptureProblemTest,
    ::testing::Values(ProblemCase{"granted_pixels", true, false,
                                  "Can’t read this part of the screen"},

                      ProblemCase{"revoked_filter", false, true,
                                  "Allow Screen Recording in System Settings to snap to edges"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(TrackingTest, DisplayChangeEmptiesTheFilterCache) {
    Mensor& m = started();
    m.enableSnapping();
    advance(0ms);
    ASSERT_EQ(m.cachedFilterCount(), 1U);
    platform.displays.fireScreensChanged();
    EXPECT_EQ(m.cachedFilterCount(), 0U);
    advance(600ms);
    EXPECT_EQ(platform.capture.filterRequests, 2);
}

TEST_F(TrackingTest, FilterAskedForBeforeADisplayChangeIsNotKept) {
    Mensor& m = started();
    platform.capture.latency = 50ms;
    m.enableSnapping();
    advance(0ms); // filter request in flight
    platform.displays.fireScreensChanged();
    advance(100ms); // the old filter arrives and serves its capture
    EXPECT_FALSE(m.capturing());
    EXPECT_TRUE(m.live()->has_value());
    EXPECT_EQ(m.cachedFilterCount(), 0U);
}

TEST_F(TrackingTest, ResultsArrivingAfterSnappingWentOffAreDropped) {
    Mensor& m = started();
    platform.capture.latency = 100ms;
    m.enableSnapping();
    advance(150ms); // pixels in flight
    ASSERT_TRUE(m.capturing());
    m.disableSnapping();
    advance(100ms);
    EXPECT_FALSE(m.capturing());
    EXPECT_FALSE(m.live()->has_value());
    EXPECT_FALSE(m.loupe()->has_value());
    EXPECT_FALSE(m.captureProblem()->has_value());
}

TEST_F(TrackingTest, FailuresArrivingAfterSnappingWentOffAreDropped) {
    Mensor& m = started();
    platform.capture.latency = 100ms;
    platform.capture.failPixels = true;
    m.enableSnapping();
    advance(150ms);
    m.disableSnapping();
    advance(100ms);
    EXPECT_FALSE(m.capturing());
    EXPECT_FALSE(m.captureProblem()->has_value());
    EXPECT_EQ(m.cachedFilterCount(), 0U); // the filter that failed is not reused later
}

TEST_F(TrackingTest, ToleranceFeedsTheEdgeOptionsWithinRange) {
    struct Row {
        double stored;
        double threshold;
    };
    for (const Row row : {Row{0, 0.01}, Row{0.1, 0.035}, Row{5, 0.26}, Row{-1, 0.01},
                          Row{std::numeric_limits<double>::quiet_NaN(), 0.035}}) {
        Preferences p = welcomedPrefs();
        p.tolerance = row.stored;
        EXPECT_DOUBLE_EQ(make(p).edgeOptions().threshold, row.threshold) << row.stored;
        EXPECT_DOUBLE_EQ(model->edgeOptions().sharpness, 2.5);
    }
}

TEST_F(TrackingTest, NoDisplayMeansNoCapture) {
    platform.displays.screens.clear();
    Mensor& m = started();
    m.enableSnapping();
    advance(1s);
    EXPECT_EQ(platform.capture.filterRequests, 0);
    EXPECT_FALSE(m.capturing());
}

TEST_F(TrackingTest, ToastLastsItsOwnFullDurationAndANewerOneReplacesIt) {
    Mensor& m = started();
    m.show("First");
    advance(1s);
    m.show("Second");
    EXPECT_EQ(toastText(), "Second");
    advance(400ms); // the first message's timer fires and leaves the second alone
    EXPECT_EQ(toastText(), "Second");
    advance(999ms);
    EXPECT_EQ(toastText(), "Second");
    platform.log.clear();
    advance(1ms);
    EXPECT_FALSE(m.toast()->has_value());
    EXPECT_EQ(platform.log.entries.at(1), "overlay.refresh"); // hiding it redraws
}

} // namespace
} // namespace spanlet::testing
