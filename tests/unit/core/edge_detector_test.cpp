#include <cmath>
#include <gtest/gtest.h>
#include <string_view>
#include <tuple>
#include <vector>

#include <spanlet/Cross.hpp>
#include <spanlet/EdgeDetector.hpp>

namespace spanlet {
namespace {

constexpr RGBA W = RGBA::white;
constexpr RGBA K = RGBA::black;
constexpr RGBA G = RGBA::gray(128);
const EdgeOptions kDefault = EdgeOptions::fromTolerance(EdgeOptions::defaultTolerance);

std::vector<RGBA> repeat(RGBA p, std::size_t n) {
    return std::vector<RGBA>(n, p);
}

std::vector<RGBA> join(std::initializer_list<std::vector<RGBA>> parts) {
    std::vector<RGBA> out;
    for (const auto& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

std::vector<RGBA> grays(std::initializer_list<int> levels) {
    std::vector<RGBA> out;
    for (const int v : levels) {
        out.push_back(RGBA::gray(static_cast<std::uint8_t>(v)));
    }
    return out;
}

auto fields(const Span& s) {
    return std::tuple(s.start, s.end, s.openStart, s.openEnd);
}

const std::vector<RGBA> kBlackBar = join({repeat(W, 5), repeat(K, 5), repeat(W, 5)});

TEST(EdgeDetectorTest, SpanFindsTheRegionAroundThePointer) {
    const auto hairline = join({repeat(W, 3), {K}, repeat(W, 3)});
    // Neighbours 11 levels apart: a step of 0.043, above the default threshold.
    const auto texture = grays({100, 111, 100, 111, 100, 111, 100, 111, 100, 111});
    const auto softRamp = grays({0, 0, 0, 3, 11, 11, 11});
    const auto step = grays({100, 100, 100, 110, 110});
    const auto jumpy = grays({100, 110, 130, 140});
    const auto ramp = grays({20, 28, 36, 44, 52, 60, 68, 76, 84, 92});
    const auto alphaStep = join({repeat(RGBA(9, 9, 9, 255), 4), repeat(RGBA(9, 9, 9, 0), 4)});
    const struct {
        const char* name;
        std::vector<RGBA> line;
        std::int64_t from;
        Span expected;
        EdgeOptions options = kDefault;
    } rows[] = {
        {"black_bar_from_inside", kBlackBar, 7, {5, 10, false, false}},
        {"ramp_of_8_levels_is_no_edge", ramp, 5, {0, 10, true, true}},
        {"one_pixel_line_under_pointer", hairline, 3, {3, 4, false, false}},
        // Textures are walked through; what follows them is still found.
        {"texture_then_black", join({texture, repeat(K, 8)}), 4, {0, 10, true, false}},
        // An anti-aliased ramp over two steps: the middle pixel joins the nearer side.
        {"soft_ramp_from_light", softRamp, 5, {4, 7, false, true}},
        // Strict comparisons: threshold, then sharpness × variation.
        {"at_threshold_no_change", step, 1, {0, 5, true, true}, {10 / 255.0, 2.5}},
        {"above_threshold_change", step, 1, {0, 3, true, false}, {9.9 / 255.0, 2.5}},
        {"variation_at_jump_no_edge", jumpy, 1, {0, 4, true, true}, {5 / 255.0, 2}},
        {"variation_below_jump_edge", jumpy, 1, {0, 2, true, false}, {5 / 255.0, 1.9}},
        {"alpha_only_step", alphaStep, 1, {0, 4, true, false}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto s = EdgeDetector::span(row.line, row.from, row.options);
        ASSERT_TRUE(s.has_value());
        EXPECT_EQ(fields(*s), fields(row.expected));
    }
}

/// Where the edge of a black block starting at `edge` is found from far away, for every
/// position around the bulk-skipping stride, in both directions.
TEST(EdgeDetectorTest, LongWalksStopAtEveryEdgePosition) {
    for (std::size_t edge = 30; edge < 110; ++edge) {
        const auto n = static_cast<std::int64_t>(edge);
        const auto right = join({repeat(G, edge), repeat(K, 20)});
        EXPECT_EQ(EdgeDetector::span(right, 0, kDefault).value().end, n) << edge;
        const auto left = join({repeat(K, 20), repeat(G, edge)});
        EXPECT_EQ(EdgeDetector::span(left, n + 19, kDefault).value().start, 20) << edge;
    }
}

/// A blended pixel between white and black is claimed by the same side from both directions:
/// white's when it is nearer to white.
TEST(EdgeDetectorTest, BlendedBoundaryIsTheSameFromBothSides) {
    for (const int level : {127, 128}) {
        const auto line = join({repeat(W, 5), grays({level}), repeat(K, 5)});
        const std::int64_t boundary = level >= 128 ? 6 : 5;
        EXPECT_EQ(EdgeDetector::span(line, 1, kDefault).value().end, boundary) << level;
        EXPECT_EQ(EdgeDetector::span(line, 9, kDefault).value().start, boundary) << level;
    }
}

TEST(EdgeDetectorTest, MeasureCombinesRowAndColumnInsideTheBuffer) {
    // A 3 × 2 black box at (2, 1) in an 8 × 5 white buffer. Right and down count the
    // pointer's own pixel, left and up do not.
    PixelBuffer buffer(8, 5, W);
    for (std::int64_t y = 1; y < 3; ++y) {
        for (std::int64_t x = 2; x < 5; ++x) {
            buffer(x, y) = K;
        }
    }
    const auto m = EdgeDetector::measure(buffer, 3, 2, kDefault);
    ASSERT_TRUE(m);
    EXPECT_EQ(std::tuple(m->left(), m->right(), m->up(), m->down()), std::tuple(1, 2, 1, 1));
    EXPECT_FALSE(EdgeDetector::measure(buffer, 8, 0, kDefault));
    EXPECT_FALSE(EdgeDetector::measure(PixelBuffer(), 0, 0, kDefault));
    EXPECT_FALSE(EdgeDetector::span(kBlackBar, -1, kDefault));
}

TEST(EdgeOptionsTest, FromTolerance) {
    EXPECT_DOUBLE_EQ(EdgeOptions::fromTolerance(std::nan("")).threshold, 0.01);
    EXPECT_DOUBLE_EQ(EdgeOptions::fromTolerance(5).threshold, 0.26);
    EXPECT_DOUBLE_EQ(EdgeOptions::fromTolerance(EdgeOptions::defaultTolerance).threshold, 0.035);
}

TEST(SpanJsonTest, KeysAndStrictTypes) {
    EXPECT_EQ(Json::parse(encode(Span{3, 17, true, false})),
              Json::parse(R"({"start":3,"end":17,"openStart":true,"openEnd":false})"));
    EXPECT_FALSE(decode<Span>(
        std::string_view(R"({"start":3.5,"end":17,"openStart":true,"openEnd":false})")));
}

TEST(CrossTest, FromMeasurementConvertsPixelBoundariesToPoints) {
    // Open sides keep the capture's bounds.
    const EdgeMeasurement m{14, 6, {10, 31, false, true}, {0, 9, true, false}};
    const Cross c = m.cross(DisplayScale(2), 107.25, 3.5, 100, 20);
    EXPECT_EQ(std::tuple(c.pointerX, c.pointerY, c.scale), std::tuple(107.25, 3.5, 2.0));
    EXPECT_EQ(std::tuple(c.minX, c.maxX, c.minY, c.maxY), std::tuple(105.0, 115.5, 20.0, 24.5));
    EXPECT_EQ(std::tuple(c.left, c.right, c.up, c.down),
              std::tuple(m.left(), m.right(), m.up(), m.down()));
    EXPECT_EQ(std::tuple(c.openLeft, c.openRight, c.openUp, c.openDown),
              std::tuple(false, true, true, false));
}

Cross sample() {
    return Cross{10.5, 20.25, 5, 15.5, 18, 30, 11, 21, 5, 24, 2, false, true, true, false};
}

TEST(CrossTest, EdgesListOnlyWhatWasFoundAndOffsetMovesPointsOnly) {
    const Cross c = sample();
    EXPECT_EQ(c.verticalEdges(), std::vector<double>{5});
    EXPECT_EQ(c.horizontalEdges(), std::vector<double>{30});
    const Cross moved = sample().offsetBy(1, -2);
    EXPECT_EQ(std::tuple(moved.pointerX, moved.minX, moved.maxX), std::tuple(11.5, 6.0, 16.5));
    EXPECT_EQ(moved.offsetBy(-1, 2), sample());
}

TEST(CrossJsonTest, FifteenKeysAndStrictTypes) {
    const Json j = Json::parse(encode(sample()));
    EXPECT_EQ(j, Json::parse(R"({"pointerX":10.5,"pointerY":20.25,"minX":5.0,"maxX":15.5,
        "minY":18.0,"maxY":30.0,"left":11,"right":21,"up":5,"down":24,"scale":2.0,
        "openLeft":false,"openRight":true,"openUp":true,"openDown":false})"));
    Json changed = j; // whole-number coordinates may be written as JSON integers
    changed["minX"] = 5;
    EXPECT_EQ(decode<Cross>(changed), sample());
    changed["down"] = 24.0; // but an integer field takes no float, even a whole one
    EXPECT_FALSE(decode<Cross>(changed));
    changed["down"] = 18446744073709551615ULL;
    EXPECT_FALSE(decode<Cross>(changed));
}

} // namespace
} // namespace spanlet
