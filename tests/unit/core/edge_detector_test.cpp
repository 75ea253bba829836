#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include <spanlet/EdgeDetector.hpp>

namespace spanlet {
namespace {

constexpr RGBA W = RGBA::white;
constexpr RGBA K = RGBA::black;
constexpr RGBA G = RGBA::gray(128);

template <class T>
std::optional<T> fromText(std::string_view text) {
    return decode<T>(text);
}

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

/// `n` greys starting at `first`, growing by `step` levels per pixel.
std::vector<RGBA> ramp(int first, int step, std::size_t n) {
    std::vector<RGBA> out;
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back(RGBA::gray(static_cast<std::uint8_t>(first + step * static_cast<int>(i))));
    }
    return out;
}

/// Two greys `apart` levels apart, alternating from pixel to pixel.
std::vector<RGBA> texture(int low, int apart, std::size_t n) {
    std::vector<RGBA> out;
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back(RGBA::gray(static_cast<std::uint8_t>(low + (i % 2 == 0 ? 0 : apart))));
    }
    return out;
}

/// Mid grey with a fixed pseudo-random wobble of at most ±3 levels per channel.
std::vector<RGBA> noise(std::size_t n) {
    std::vector<RGBA> out;
    std::uint32_t state = 12345;
    const auto wobble = [&state](int base) {
        state = state * 1103515245U + 12345U;
        return static_cast<std::uint8_t>(base + static_cast<int>((state >> 16) % 7) - 3);
    };
    for (std::size_t i = 0; i < n; ++i) {
        out.emplace_back(wobble(120), wobble(130), wobble(140), 255);
    }
    return out;
}

struct ScanCase {
    std::string name;
    std::vector<RGBA> line;
    std::int64_t from;
    Span expected;
    EdgeOptions options = kDefault;
};

class SpanScan : public ::testing::TestWithParam<ScanCase> {};

TEST_P(SpanScan, FindsTheRegionAroundThePointer) {
    const ScanCase& c = GetParam();
    const auto s = EdgeDetector::span(c.line, c.from, c.options);
    ASSERT_TRUE(s.has_value());
    EXPECT_EQ(s->start, c.expected.start);
    EXPECT_EQ(s->end, c.expected.end);
    EXPECT_EQ(s->openStart, c.expected.openStart);
    EXPECT_EQ(s->openEnd, c.expected.openEnd);
}

const std::vector<RGBA> kBlackBar = join({repeat(W, 5), repeat(K, 5), repeat(W, 5)});
const std::vector<RGBA> kBlendedBar = join({repeat(W, 5), {G}, repeat(K, 5), repeat(W, 5)});

INSTANTIATE_TEST_SUITE_P(
    EdgeDetector, SpanScan,
    ::testing::Values(
        // Worked examples.
        ScanCase{"black_bar_from_inside", kBlackBar, 7, {5, 10, false, false}},
        ScanCase{"blended_bar_from_black", kBlendedBar, 8, {6, 11, false, false}},
        ScanCase{"blended_bar_from_white", kBlendedBar, 2, {0, 6, true, false}},
        ScanCase{"ramp_of_8_levels_is_no_edge", ramp(20, 8, 24), 12, {0, 24, true, true}},
        ScanCase{"single_pixel_line", {W}, 0, {0, 1, true, true}},
        // Ends of the line.
        ScanCase{"pointer_on_first_pixel", join({repeat(W, 3), {K}}), 0, {0, 3, true, false}},
        ScanCase{"pointer_on_last_pixel", join({{K}, repeat(W, 3)}), 3, {1, 4, false, true}},
        ScanCase{"two_pixels_step", {W, K}, 0, {0, 1, true, false}},
        ScanCase{"one_pixel_line_under_pointer",
                 join({repeat(W, 3), {K}, repeat(W, 3)}),
                 3,
                 {3, 4, false, false}},
        ScanCase{"one_pixel_line_beside_pointer",
                 join({repeat(W, 3), {K}, repeat(W, 3)}),
                 1,
                 {0, 3, true, false}},
        // Textures and noise are walked through; what follows them is still found.

        ScanCase{"texture_then_black",
                 join({texture(100, 11, 16), repeat(K, 8)}),
                 4,
                 {0, 16, true, false}},

        ScanCase{"noise_then_black", join({noise(100), repeat(K, 5)}), 3, {0, 100, true, false}},
        // Anti-aliased ramps over two steps: the middle pixel joins the nearer side.
        ScanCase{"soft_ramp_from_dark",
                 join({repeat(RGBA::gray(0), 3), grays({3}), repeat(RGBA::gray(11), 3)}),
                 1,
                 {0, 4, true, false}},
        ScanCase{"soft_ramp_from_light",
                 join({repeat(RGBA::gray(0), 3), grays({3}), repeat(RGBA::gray(11), 3)}),
                 5,
                 {4, 7, false, true}},
        ScanCase{"ramp_equal_steps_edge_after_A_rightwards",
                 grays({0, 0, 0, 8, 16, 16, 16}),
                 1,
                 {0, 3, true, false}},

        ScanCase{"two_step_change_in_tiny_list_is_edge", grays({0, 8, 16}), 0, {0, 1, true, false}},
        ScanCase{"gradient_in_long_list_is_no_edge", ramp(0, 8, 30), 0, {0, 30, true, true}},
        // Strict comparisons.
        ScanCase{"difference_equal_to_threshold_is_no_change",
                 grays({100, 100, 100, 110, 110}),
                 1,
                 {0, 5, true, true},
                 EdgeOptions(10 / 255.0, 2.5)},
        ScanCase{"difference_above_threshold_is_change",
                 grays({100, 100, 100, 110, 110}),
                 1,
                 {0, 3, true, false},
                 EdgeOptions(9.9 / 255.0, 2.5)},
        ScanCase{"variation_times_sharpness_equal_to_jump_is_no_edge",
                 grays({100, 110, 130, 140}),
                 1,
                 {0, 4, true, true},
                 EdgeOptions(5 / 255.0, 2)},
        ScanCase{"variation_times_sharpness_below_jump_is_edge",
                 grays({100, 110, 130, 140}),
                 1,
                 {0, 2, true, false},
                 EdgeOptions(5 / 255.0, 1.9)},
        ScanCase{"ramp_variation_equal_to_change_is_no_edge",
                 ramp(0, 8, 10),
                 5,
                 {0, 10, true, true},
                 EdgeOptions(0.035, 1)},
        ScanCase{"ramp_variation_below_change_is_edge",
                 ramp(0, 8, 10),
                 5,
                 {5, 6, false, false},
                 EdgeOptions(0.035, 0.9)},
        // Alpha is a channel like any other.
        ScanCase{"alpha_only_step",
                 join({repeat(RGBA(10, 10, 10, 255), 4), repeat(RGBA(10, 10, 10, 0), 4)}),
                 1,
                 {0, 4, true, false}},
        // Long lines: bulk skipping must stop exactly where a change starts.
        ScanCase{
            "long_flat_then_black", join({repeat(G, 97), repeat(K, 40)}), 2, {0, 97, true, false}},
        ScanCase{"black_then_long_flat",
                 join({repeat(K, 40), repeat(G, 97)}),
                 130,
                 {40, 137, false, true}},
        ScanCase{"long_soft_ramp_then_flat",
                 join({repeat(G, 70), grays({131, 139}), repeat(RGBA::gray(139), 70)}),
                 3,
                 {0, 71, true, false}}),
    [](const auto& row) { return row.param.name; });

/// Where the edge of a black block starting at `edge` is found from far away, for every
/// position around the bulk-skipping stride, in both directions.
TEST(EdgeDetectorTest, LongWalksStopAtEveryEdgePosition) {
    for (std::size_t edge = 30; edge < 110; ++edge) {
        const auto line = join({repeat(G, edge), repeat(K, 20)});
        const auto right = EdgeDetector::span(line, 0, kDefault);
        ASSERT_TRUE(right);
        EXPECT_EQ(right->end, static_cast<std::int64_t>(edge)) << edge;
        EXPECT_FALSE(right->openEnd);

        const auto mirrored = join({repeat(K, 20), repeat(G, edge)});
        const auto left =
            EdgeDetector::span(mirrored, static_cast<std::int64_t>(mirrored.size()) - 1, kDefault);
        ASSERT_TRUE(left);
        EXPECT_EQ(left->start, 20) << edge;
        EXPECT_FALSE(left->openStart);
    }
}

/// A blended pixel between white and black is claimed by the same side from both directions.
class BlendedBoundary : public ::testing::TestWithParam<int> {};

TEST_P(BlendedBoundary, BothDirectionsMeet) {
    const int level = GetParam();
    const auto line = join({repeat(W, 5), grays({level}), repeat(K, 5)});
    const auto fromWhite = EdgeDetector::span(line, 1, kDefault);
    const auto fromBlack = EdgeDetector::span(line, 9, kDefault);
    ASSERT_TRUE(fromWhite && fromBlack);
    EXPECT_EQ(fromWhite->end, fromBlack->start);
    // The blend (index 5) goes with white when it is nearer to white.
    EXPECT_EQ(fromWhite->end, level >= 128 ? 6 : 5);
}

INSTANTIATE_TEST_SUITE_P(EdgeDetector, BlendedBoundary, ::testing::Values(3, 100, 127, 128, 250),
                         [](const auto& row) { return "level_" + std::to_string(row.param); });

TEST(EdgeDetectorTest, MeasureCombinesRowAndColumn) {
    const auto column = join({repeat(K, 2), repeat(W, 4), repeat(K, 3)});
    const auto m = EdgeDetector::measure(kBlackBar, column, 7, 3, kDefault);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->horizontal, (Span{5, 10, false, false}));
    EXPECT_EQ(m->vertical, (Span{2, 6, false, false}));
    EXPECT_EQ(m->left(), 2);
    EXPECT_EQ(m->right(), 3);
    EXPECT_EQ(m->width(), 5);
    EXPECT_EQ(m->up(), 1);
    EXPECT_EQ(m->down(), 3);
    EXPECT_EQ(m->height(), 4);
}

TEST(EdgeDetectorTest, NothingOutsideTheLines) {
    const std::vector<RGBA> empty;
    const auto line = repeat(W, 4);
    EXPECT_FALSE(EdgeDetector::measure(empty, line, 0, 0, kDefault));
    EXPECT_FALSE(EdgeDetector::measure(line, empty, 0, 0, kDefault));
    EXPECT_FALSE(EdgeDetector::measure(line, line, -1, 0, kDefault));
    EXPECT_FALSE(EdgeDetector::measure(line, line, 4, 0, kDefault));
    EXPECT_FALSE(EdgeDetector::measure(line, line, 0, 4, kDefault));
    EXPECT_FALSE(
        EdgeDetector::measure(line, line, 0, std::numeric_limits<std::int64_t>::min(), kDefault));
    EXPECT_FALSE(EdgeDetector::span(empty, 0, kDefault));
    EXPECT_FALSE(EdgeDetector::span(line, 4, kDefault));
    EXPECT_FALSE(EdgeDetector::span(line, -1, kDefault));
}

TEST(EdgeDetectorTest, MeasureOnBufferUsesRowAndColumnThroughThePoint) {
    // A 3 × 2 black box at (2, 1) in an 8 × 5 white buffer.
    PixelBuffer buffer(8, 5, W);
    for (std::int64_t y = 1; y < 3; ++y) {
        for (std::int64_t x = 2; x < 5; ++x) {
            buffer(x, y) = K;
        }
    }
    const auto m = EdgeDetector::measure(buffer, 3, 2, kDefault);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->horizontal, (Span{2, 5, false, false}));
    EXPECT_EQ(m->vertical, (Span{1, 3, false, false}));
    EXPECT_FALSE(EdgeDetector::measure(buffer, 8, 0, kDefault));
    EXPECT_FALSE(EdgeDetector::measure(buffer, 0, 5, kDefault));
    EXPECT_FALSE(EdgeDetector::measure(buffer, -1, 0, kDefault));
    EXPECT_FALSE(EdgeDetector::measure(PixelBuffer(), 0, 0, kDefault));
}

TEST(EdgeOptionsTest, FromTolerance) {
    EXPECT_DOUBLE_EQ(EdgeOptions::fromTolerance(0).threshold, 0.01);
    EXPECT_DOUBLE_EQ(EdgeOptions::fromTolerance(-1).threshold, 0.01);
    EXPECT_DOUBLE_EQ(EdgeOptions::fromTolerance(std::nan("")).threshold, 0.01);
    EXPECT_DOUBLE_EQ(EdgeOptions::fromTolerance(5).threshold, 0.26);
    EXPECT_DOUBLE_EQ(EdgeOptions::fromTolerance(EdgeOptions::defaultTolerance).threshold, 0.035);
    EXPECT_EQ(EdgeOptions::fromTolerance(0.3).sharpness, 2.5);
}

TEST(EdgeOptionsTest, NaNThresholdFindsNoEdgeAndDoesNotCrash) {
    const auto s = EdgeDetector::span(kBlackBar, 7, EdgeOptions(std::nan(""), 2.5));
    ASSERT_TRUE(s);
    EXPECT_EQ(*s, (Span{0, 15, true, true}));
}

TEST(SpanJsonTest, RoundTripAndStrictKeys) {
    const Span s{3, 17, true, false};
    EXPECT_EQ(Json::parse(encode(s)),
              Json::parse(R"({"start":3,"end":17,"openStart":true,"openEnd":false})"));
    EXPECT_EQ(fromText<Span>(encode(s)), s);
    EXPECT_FALSE(fromText<Span>(R"({"start":3,"end":17,"openStart":true})"));
    EXPECT_FALSE(fromText<Span>(R"({"start":3.5,"end":17,"openStart":true,"openEnd":false})"));
    EXPECT_FALSE(fromText<Span>(R"({"start":"3","end":17,"openStart":true,"openEnd":false})"));
    EXPECT_FALSE(fromText<Span>(R"({"start":3,"end":17,"openStart":1,"openEnd":false})"));
    EXPECT_FALSE(fromText<Span>("[3,17,true,false]"));
}

} // namespace
} // namespace spanlet
