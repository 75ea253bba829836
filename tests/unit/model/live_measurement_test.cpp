#include <cmath>
#include <limits>

#include <spanlet/NumberText.hpp>
#include <spanlet/model/LiveMeasurement.hpp>

#include "ModelFixture.hpp"

namespace spanlet::testing {
namespace {

// One display at (100, 50), 400 × 300 points, with a black box at global (200, 120)–(260, 160),
// that is display-local (100, 70)–(160, 110).
constexpr Rect kFrame{100, 50, 400, 300};
constexpr Rect kLocalBox{100, 70, 60, 40};
const EdgeOptions kOptions = EdgeOptions::fromTolerance(0.1);

struct Pipeline {
    fakes::VirtualClock clock;
    fakes::FakeCapture capture{clock};
    ScreenInfo display;
    ScreenCapture::Filter filter;
    std::optional<CaptureResult<LiveMeasurement::Result>> answer;

    Pipeline(double scale, fakes::PixelFunction scene) {
        display = fakes::makeScreen(7, kFrame, scale, kFrame.height);
        capture.addScreen(7, kFrame.size(), scale, std::move(scene));
        filter = ScreenCapture::Filter{7, std::make_shared<ScreenCapture::FilterHandle>()};
    }

    void run(Point pointer, bool showLoupe = true) {
        LiveMeasurement::measure(capture, display, pointer, filter, showLoupe, kOptions,
                                 [this](CaptureResult<LiveMeasurement::Result> r) { answer = r; });
        clock.runDue();
    }
    [[nodiscard]] const LiveMeasurement::Result& result() const {
        return std::get<LiveMeasurement::Result>(*answer);
    }
    [[nodiscard]] bool failed() const {
        return answer && std::holds_alternative<ScreenCapture::Error>(*answer);
    }
};

class ScaleTest : public ::testing::TestWithParam<double> {};

std::string scaleName(const ::testing::TestParamInfo<double>& info) {
    std::string text = "scale_" + NumberText::string(info.param * 10, 0);
    return text;
}

TEST_P(ScaleTest, MeasuresTheBoxInGlobalPointsAndDevicePixels) {
    const double s = GetParam();
    Pipeline pipeline(s, boxScene(kLocalBox, s));
    pipeline.run({230, 140});

    ASSERT_TRUE(pipeline.answer.has_value());
    ASSERT_FALSE(pipeline.failed());
    const Cross& c = pipeline.result().cross;
    EXPECT_DOUBLE_EQ(c.minX, 200);
    EXPECT_DOUBLE_EQ(c.maxX, 260);
    EXPECT_DOUBLE_EQ(c.minY, 120);
    EXPECT_DOUBLE_EQ(c.maxY, 160);
    EXPECT_EQ(c.widthPixels(), static_cast<std::int64_t>(60 * s));
    EXPECT_EQ(c.heightPixels(), static_cast<std::int64_t>(40 * s));
    EXPECT_EQ(c.left,
              static_cast<std::int64_t>(std::floor(130 * s)) - static_cast<std::int64_t>(100 * s));
    EXPECT_DOUBLE_EQ(c.scale, s);
    EXPECT_DOUBLE_EQ(c.pointerX, 230);
    EXPECT_DOUBLE_EQ(c.pointerY, 140);
    EXPECT_FALSE(c.openLeft || c.openRight || c.openUp || c.openDown);

    ASSERT_TRUE(pipeline.result().loupe.has_value());
    const Loupe& loupe = *pipeline.result().loupe;
    EXPECT_EQ(loupe.patch.width(), 15);
    EXPECT_EQ(loupe.patch.height(), 15);
    EXPECT_EQ(loupe.patch(7, 7), RGBA::black);
    EXPECT_EQ(loupe.color, SRGBColor::fromRGBA(RGBA::black));
}

TEST_P(ScaleTest, StripsAreOnePointThickAcrossTheWholeDisplay) {
    const double s = GetParam();
    Pipeline pipeline(s, whiteScene);
    pipeline.run({230.7, 140.2});

    const auto& requests = pipeline.capture.requests;
    ASSERT_EQ(requests.size(), 3U);
    EXPECT_EQ(requests[0].rect, (Rect{0, 90, 400, 1}));
    EXPECT_EQ(requests[1].rect, (Rect{130, 0, 1, 300}));
    EXPECT_EQ(requests[2].rect, (Rect{122, 82, 17, 17}));
    const auto thickness = static_cast<std::int64_t>(std::round(s));
    EXPECT_EQ(requests[0].size,
              (ScreenCapture::PixelSize{static_cast<std::int64_t>(400 * s), thickness}));
    EXPECT_EQ(requests[1].size,
              (ScreenCapture::PixelSize{thickness, static_cast<std::int64_t>(300 * s)}));
    for (const auto& r : requests) {
        EXPECT_DOUBLE_EQ(r.scale, s);
    }
    // White everywhere: every side is open and ends at the display's edge.
    const Cross& c = pipeline.result().cross;
    EXPECT_TRUE(c.openLeft && c.openRight && c.openUp && c.openDown);
    EXPECT_DOUBLE_EQ(c.minX, 100);
    EXPECT_DOUBLE_EQ(c.maxX, 500);
}

TEST_P(ScaleTest, LoupeIsClippedAtTheTopLeftCorner) {
    const double s = GetParam();
    Pipeline pipeline(s, whiteScene);
    pipeline.run({100, 50});

    EXPECT_EQ(pipeline.capture.requests.at(2).rect, (Rect{0, 0, 9, 9}));
    ASSERT_TRUE(pipeline.result().loupe.has_value());
    const PixelBuffer& patch = pipeline.result().loupe->patch;
    EXPECT_EQ(patch(0, 0), RGBA::clear);
    EXPECT_EQ(patch(6, 6), RGBA::clear);
    EXPECT_EQ(patch(7, 7), RGBA::white);
    EXPECT_EQ(patch(14, 14), RGBA::white);
}

TEST_P(ScaleTest, PointerOnTheBottomRightEdgeStaysOnTheDisplay) {
    const double s = GetParam();
    Pipeline pipeline(s, whiteScene);
    pipeline.run({500, 350}); // exactly on the right and bottom edges

    const auto& requests = pipeline.capture.requests;
    EXPECT_EQ(requests.at(0).rect, (Rect{0, 299, 400, 1}));
    EXPECT_EQ(requests.at(1).rect, (Rect{399, 0, 1, 300}));
    EXPECT_EQ(requests.at(2).rect, (Rect{391, 291, 9, 9}));
    ASSERT_TRUE(pipeline.result().loupe.has_value());
    const PixelBuffer& patch = pipeline.result().loupe->patch;
    EXPECT_EQ(patch(7, 7), RGBA::white);
    EXPECT_EQ(patch(14, 14), RGBA::clear);
    EXPECT_EQ(patch(0, 0), RGBA::white);
    EXPECT_TRUE(pipeline.result().cross.openRight);
}

TEST_P(ScaleTest, WithoutLoupeOnlyTheStripsAreCaptured) {
    const double s = GetParam();
    Pipeline pipeline(s, boxScene(kLocalBox, s));
    pipeline.run({230, 140}, /*showLoupe=*/false);

    EXPECT_EQ(pipeline.capture.pixelRequests, 2);
    EXPECT_FALSE(pipeline.result().loupe.has_value());
}

INSTANTIATE_TEST_SUITE_P(Scales, ScaleTest, ::testing::Values(1.0, 1.5, 2.0, 3.0), scaleName);

// A thick strip holds several pixel lines; only the line through the pointer's own device
// pixel carries the bars, so measuring any other line finds no edge on that side.
struct LineCase {
    const char* name;
    double scale;
    Point pointer; // display-local points
};

class PixelLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(PixelLineTest, UsesTheLineThroughThePointersPixel) {
    const LineCase& c = GetParam();
    const auto px = static_cast<std::int64_t>(std::floor(c.pointer.x * c.scale));
    const auto py = static_cast<std::int64_t>(std::floor(c.pointer.y * c.scale));
    // A black dot on the pointer's row, 40 pixels right, and one on its column, 30 below.
    const auto scene = [px, py](std::int64_t x, std::int64_t y) {
        return (y == py && x == px + 40) || (x == px && y == py + 30) ? RGBA::black : RGBA::white;
    };
    Pipeline pipeline(c.scale, scene);
    pipeline.run({kFrame.x + c.pointer.x, kFrame.y + c.pointer.y});

    ASSERT_FALSE(pipeline.failed());
    const Cross& cross = pipeline.result().cross;
    EXPECT_EQ(cross.right, 40);
    EXPECT_FALSE(cross.openRight);
    EXPECT_EQ(cross.down, 30);
    EXPECT_FALSE(cross.openDown);
}

INSTANTIATE_TEST_SUITE_P(Lines, PixelLineTest,
                         ::testing::Values(LineCase{"scale1_5_second_line", 1.5, {130.9, 90.9}},
                                           LineCase{"scale2_second_line", 2, {130.6, 90.6}},
                                           LineCase{"scale2_first_line", 2, {130.2, 90.2}},

                                           LineCase{"scale3_last_line", 3, {130.9, 90.9}}),
                         [](const auto& row) { return std::string(row.param.name); });

struct FailureCase {
    const char* name;
    bool loupe;
    bool row;
    bool column;
};

class CaptureFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(CaptureFailureTest, AnyFailedCaptureFailsTheMeasurementAfterAllAnswered) {
    const FailureCase& c = GetParam();
    Pipeline pipeline(2, whiteScene);
    pipeline.capture.latency = 10ms;
    pipeline.capture.failRect = [c](const Rect& r) {
        return (c.loupe && r.width == 17) || (c.row && r.height == 1 && r.width > 1) ||
               (c.column && r.width == 1 && r.height > 1);
    };
    pipeline.run({230, 140});
    EXPECT_FALSE(pipeline.answer.has_value()); // still in flight
    pipeline.clock.advance(10ms);
    EXPECT_TRUE(pipeline.failed());
    EXPECT_EQ(pipeline.capture.inFlight, 0);
}

INSTANTIATE_TEST_SUITE_P(Failures, CaptureFailureTest,
                         ::testing::Values(FailureCase{"loupe", true, false, false},
                                           FailureCase{"row", false, true, false},
                                           FailureCase{"column", false, false, true}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(LiveMeasurementTest, NaNPointerFailsWithoutCapturing) {
    Pipeline pipeline(2, whiteScene);
    pipeline.run({std::numeric_limits<double>::quiet_NaN(), 140});
    EXPECT_TRUE(pipeline.failed());
    EXPECT_EQ(pipeline.capture.pixelRequests, 0);
}

TEST(LiveMeasurementTest, PointerOutsideTheDisplayIsKeptInside) {
    Pipeline pipeline(1, whiteScene);
    pipeline.run({-500, std::numeric_limits<double>::infinity()});
    EXPECT_EQ(pipeline.capture.requests.at(0).rect, (Rect{0, 299, 400, 1}));
    EXPECT_EQ(pipeline.capture.requests.at(1).rect, (Rect{0, 0, 1, 300}));
    EXPECT_FALSE(pipeline.failed());
}

} // namespace
} // namespace spanlet::testing
