#include <cmath>
#include <limits>

#include <spanlet/NumberText.hpp>
#include <spanlet/model/LiveMeasurement.hpp>

#include "ModelFixture.hpp"

namespace spanlet::testing {
namespace {

// One display at (100, 50), 400 × 300 points; `run` measures at a global point.
constexpr Rect kFrame{100, 50, 400, 300};

struct Pipeline {
    fakes::VirtualClock clock;
    fakes::FakeCapture capture{clock};
    ScreenInfo display;
    std::optional<CaptureResult<LiveMeasurement::Result>> answer;

    Pipeline(double scale, fakes::PixelFunction scene)
        : display(fakes::makeScreen(7, kFrame, scale, kFrame.height)) {
        capture.addScreen(7, kFrame.size(), scale, std::move(scene));
    }
    const LiveMeasurement::Result* run(Point pointer) {
        const ScreenCapture::Filter filter{7, std::make_shared<ScreenCapture::FilterHandle>()};
        LiveMeasurement::measure(capture, display, pointer, filter, true,
                                 EdgeOptions::fromTolerance(0.1),
                                 [this](CaptureResult<LiveMeasurement::Result> r) { answer = r; });
        clock.runDue();
        return answer ? std::get_if<LiveMeasurement::Result>(&*answer) : nullptr;
    }
    [[nodiscard]] Rect requested(std::size_t i) const { return capture.requests.at(i).rect; }
};

class ScaleTest : public ::testing::TestWithParam<double> {};

// The box is at global (200, 120)–(260, 160), display-local (100, 70)–(160, 110).
TEST_P(ScaleTest, MeasuresTheBoxFromOnePointStripsAcrossTheDisplay) {
    const double s = GetParam();
    Pipeline pipeline(s, boxScene({100, 70, 60, 40}, s));
    const auto* result = pipeline.run({230.7, 140.2});
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(pipeline.requested(0), (Rect{0, 90, 400, 1}));
    EXPECT_EQ(pipeline.requested(1), (Rect{130, 0, 1, 300}));
    EXPECT_EQ(pipeline.requested(2), (Rect{122, 82, 17, 17}));
    const Cross& c = result->cross;
    EXPECT_EQ((Rect{c.minX, c.minY, c.maxX - c.minX, c.maxY - c.minY}), (Rect{200, 120, 60, 40}));
    EXPECT_EQ(c.left, static_cast<std::int64_t>(std::floor(130.7 * s) - 100 * s));
    EXPECT_EQ(result->loupe->patch(7, 7), RGBA::black);

    // On the bottom-right corner the strips and loupe stay on the display.
    Pipeline corner(s, whiteScene);
    result = corner.run({500, 350});
    EXPECT_EQ(corner.requested(0), (Rect{0, 299, 400, 1}));
    EXPECT_EQ(corner.requested(2), (Rect{391, 291, 9, 9}));
    EXPECT_EQ(result->loupe->patch(14, 14), RGBA::clear);
    EXPECT_TRUE(result->cross.openRight);
}

INSTANTIATE_TEST_SUITE_P(Scales, ScaleTest, ::testing::Values(1.0, 1.5, 3.0), [](const auto& row) {
    return "scale_" + NumberText::string(row.param * 10, 0);
});

// A thick strip holds several pixel lines; only the line through the pointer's own device
// pixel (here the last of three) carries the bars.
TEST(LiveMeasurementTest, UsesThePixelLineThroughThePointersPixel) {
    const auto px = static_cast<std::int64_t>(std::floor(130.9 * 3));
    const auto py = static_cast<std::int64_t>(std::floor(90.9 * 3));
    Pipeline pipeline(3, [px, py](std::int64_t x, std::int64_t y) {
        return (y == py && x == px + 40) || (x == px && y == py + 30) ? RGBA::black : RGBA::white;
    });
    const auto* result = pipeline.run({kFrame.x + 130.9, kFrame.y + 90.9});
    EXPECT_EQ(result->cross.right, 40);
    EXPECT_EQ(result->cross.down, 30);
}

TEST(LiveMeasurementTest, FailedCaptureOrNaNPointerFailsAfterAllAnswered) {
    Pipeline pipeline(2, whiteScene);
    pipeline.capture.latency = 10ms;
    pipeline.capture.failRect = [](const Rect& r) { return r.width == 1 && r.height > 1; };
    pipeline.run({230, 140});
    EXPECT_FALSE(pipeline.answer.has_value()); // still in flight
    pipeline.clock.advance(10ms);
    EXPECT_TRUE(std::holds_alternative<ScreenCapture::Error>(*pipeline.answer));
    EXPECT_EQ(pipeline.capture.inFlight, 0);

    Pipeline nan(2, whiteScene);
    EXPECT_EQ(nan.run({std::numeric_limits<double>::quiet_NaN(), 140}), nullptr);
    EXPECT_EQ(nan.capture.pixelRequests, 0);
}

} // namespace
} // namespace spanlet::testing
