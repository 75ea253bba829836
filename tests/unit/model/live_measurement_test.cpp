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

struct Pipeline {
    fakes::VirtualClock clock;
    fakes::FakeCapture capture{clock};
    ScreenInfo display;
    std::optional<CaptureResult<LiveMeasurement::Result>> answer;

    Pipeline(double scale, fakes::PixelFunction scene)
        : display(fakes::makeScreen(7, kFrame, scale, kFrame.height)) {
        capture.addScreen(7, kFrame.size(), scale, std::move(scene));
    }

    void run(Point pointer, bool showLoupe = true) {
        const ScreenCapture::Filter filter{7, std::make_shared<ScreenCapture::FilterHandle>()};
        LiveMeasurement::measure(capture, display, pointer, filter, showLoupe,
                                 EdgeOptions::fromTolerance(0.1),
                                 [this](CaptureResult<LiveMeasurement::Result> r) { answer = r; });
        clock.runDue();
    }
    [[nodiscard]] const LiveMeasurement::Result& result() const {
        return std::get<LiveMeasurement::Result>(*answer);
    }
    [[nodiscard]] bool failed() const {
        return answer && std::holds_alternative<ScreenCapture::Error>(*answer);
    }
    [[nodiscard]] Rect requested(std::size_t i) const { return capture.requests.at(i).rect; }
};

class ScaleTest : public ::testing::TestWithParam<double> {};

TEST_P(ScaleTest, MeasuresTheBoxFromOnePointStripsAcrossTheDisplay) {
    const double s = GetParam();
    Pipeline pipeline(s, boxScene(kLocalBox, s));
    pipeline.run({230.7, 140.2});

    const auto& requests = pipeline.capture.requests;
    ASSERT_EQ(requests.size(), 3U);
    EXPECT_EQ(requests[0].rect, (Rect{0, 90, 400, 1}));
    EXPECT_EQ(requests[1].rect, (Rect{130, 0, 1, 300}));
    EXPECT_EQ(requests[2].rect, (Rect{122, 82, 17, 17}));
    for (const auto& r : requests) {
        EXPECT_DOUBLE_EQ(r.scale, s);
    }

    ASSERT_FALSE(pipeline.failed());
    const Cross& c = pipeline.result().cross;
    EXPECT_DOUBLE_EQ(c.minX, 200);
    EXPECT_DOUBLE_EQ(c.maxX, 260);
    EXPECT_DOUBLE_EQ(c.minY, 120);
    EXPECT_DOUBLE_EQ(c.maxY, 160);
    EXPECT_EQ(c.widthPixels(), static_cast<std::int64_t>(60 * s));
    EXPECT_EQ(c.heightPixels(), static_cast<std::int64_t>(40 * s));
    EXPECT_EQ(c.left, static_cast<std::int64_t>(std::floor(130.7 * s) - 100 * s));
    EXPECT_DOUBLE_EQ(c.scale, s);
    EXPECT_FALSE(c.openLeft || c.openRight || c.openUp || c.openDown);
    ASSERT_TRUE(pipeline.result().loupe.has_value());
    EXPECT_EQ(pipeline.result().loupe->patch(7, 7), RGBA::black);
    EXPECT_EQ(pipeline.result().loupe->color, SRGBColor::fromRGBA(RGBA::black));

    // Without the loupe only the two strips are captured.
    Pipeline noLoupe(s, boxScene(kLocalBox, s));
    noLoupe.run({230, 140}, /*showLoupe=*/false);
    EXPECT_EQ(noLoupe.capture.pixelRequests, 2);
    EXPECT_FALSE(noLoupe.result().loupe.has_value());
}

TEST_P(ScaleTest, PointerOnTheDisplaysCornersStaysOnTheDisplay) {
    const double s = GetParam();
    Pipeline topLeft(s, whiteScene);
    topLeft.run({100, 50});
    EXPECT_EQ(topLeft.requested(2), (Rect{0, 0, 9, 9}));
    ASSERT_TRUE(topLeft.result().loupe.has_value());
    const PixelBuffer& clipped = topLeft.result().loupe->patch;
    EXPECT_EQ(clipped(6, 6), RGBA::clear); // beyond the display
    EXPECT_EQ(clipped(7, 7), RGBA::white);

    Pipeline bottomRight(s, whiteScene);
    bottomRight.run({500, 350}); // exactly on the right and bottom edges
    EXPECT_EQ(bottomRight.requested(0), (Rect{0, 299, 400, 1}));
    EXPECT_EQ(bottomRight.requested(1), (Rect{399, 0, 1, 300}));
    EXPECT_EQ(bottomRight.requested(2), (Rect{391, 291, 9, 9}));
    ASSERT_TRUE(bottomRight.result().loupe.has_value());
    const PixelBuffer& patch = bottomRight.result().loupe->patch;
    EXPECT_EQ(patch(7, 7), RGBA::white);
    EXPECT_EQ(patch(14, 14), RGBA::clear);
    EXPECT_TRUE(bottomRight.result().cross.openRight);
}

INSTANTIATE_TEST_SUITE_P(Scales, ScaleTest, ::testing::Values(1.0, 1.5, 2.0, 3.0),
                         [](const auto& row) {
                             return "scale_" + NumberText::string(row.param * 10, 0);
                         });

// A thick strip holds several pixel lines; only the line through the pointer's own device
// pixel carries the bars, so measuring any other line finds no edge on that side.
TEST(LiveMeasurementTest, UsesThePixelLineThroughThePointersPixel) {
    struct Row {
        const char* name;
        double scale;
        Point pointer; // display-local points
    };
    for (const Row& r :
         {Row{"scale1_5_second_line", 1.5, {130.9, 90.9}},
          Row{"scale2_second_line", 2, {130.6, 90.6}}, Row{"scale2_first_line", 2, {130.2, 90.2}},
          Row{"scale3_last_line", 3, {130.9, 90.9}}}) {
        SCOPED_TRACE(r.name);
        const auto px = static_cast<std::int64_t>(std::floor(r.pointer.x * r.scale));
        const auto py = static_cast<std::int64_t>(std::floor(r.pointer.y * r.scale));
        // A black dot on the pointer's row, 40 pixels right, and one on its column, 30 below.
        Pipeline pipeline(r.scale, [px, py](std::int64_t x, std::int64_t y) {
            return (y == py && x == px + 40) || (x == px && y == py + 30) ? RGBA::black
                                                                          : RGBA::white;
        });
        pipeline.run({kFrame.x + r.pointer.x, kFrame.y + r.pointer.y});
        ASSERT_FALSE(pipeline.failed());
        const Cross& cross = pipeline.result().cross;
        EXPECT_EQ(cross.right, 40);
        EXPECT_EQ(cross.down, 30);
        EXPECT_FALSE(cross.openRight || cross.openDown);
    }
}

TEST(LiveMeasurementTest, AnyFailedCaptureFailsTheMeasurementAfterAllAnswered) {
    const std::function<bool(const Rect&)> failures[] = {
        [](const Rect& r) { return r.width == 17; },                 // loupe
        [](const Rect& r) { return r.height == 1 && r.width > 1; },  // row
        [](const Rect& r) { return r.width == 1 && r.height > 1; }}; // column
    for (const auto& fail : failures) {
        Pipeline pipeline(2, whiteScene);
        pipeline.capture.latency = 10ms;
        pipeline.capture.failRect = fail;
        pipeline.run({230, 140});
        EXPECT_FALSE(pipeline.answer.has_value()); // still in flight
        pipeline.clock.advance(10ms);
        EXPECT_TRUE(pipeline.failed());
        EXPECT_EQ(pipeline.capture.inFlight, 0);
    }
}

TEST(LiveMeasurementTest, UnusablePointersFailOrAreKeptInside) {
    Pipeline nan(2, whiteScene);
    nan.run({std::numeric_limits<double>::quiet_NaN(), 140});
    EXPECT_TRUE(nan.failed());
    EXPECT_EQ(nan.capture.pixelRequests, 0);

    Pipeline outside(1, whiteScene);
    outside.run({-500, std::numeric_limits<double>::infinity()});
    EXPECT_FALSE(outside.failed());
    EXPECT_EQ(outside.requested(0), (Rect{0, 299, 400, 1}));
    EXPECT_EQ(outside.requested(1), (Rect{0, 0, 1, 300}));
}

} // namespace
} // namespace spanlet::testing
