#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string_view>
#include <tuple>
#include <vector>

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

/// `n` greys starting at `first`, growing by `step` levels per pixel.
std::vector<RGBA> ramp(int first, int step, int n) {
    std::vector<RGBA> out;
    for (int i = 0; i < n; ++i) {
        out.push_back(RGBA::gray(static_cast<std::uint8_t>(first + step * i)));
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

auto fields(const Span& s) {
    return std::tuple(s.start, s.end, s.openStart, s.openEnd);
}

const std::vector<RGBA> kBlackBar = join({repeat(W, 5), repeat(K, 5), repeat(W, 5)});

TEST(EdgeDetectorTest, SpanFindsTheRegionAroundThePointer) {
    const auto hairline = join({repeat(W, 3), {K}, repeat(W, 3)});
    // Neighbours 11 levels apart: a step of 0.043, above the default threshold.
    const auto texture =
        grays({100, 111, 100, 111, 100, 111, 100, 111, 100, 111, 100, 111, 100, 111, 100, 111});
    const auto softRamp = grays({0, 0, 0, 3, 11, 11, 11});
    const auto step = grays({100, 100, 100, 110, 110});
    const auto jumpy = grays({100, 110, 130, 140});
    const auto ramp8 = ramp(0, 8, 10);
    const auto alphaStep = join({repeat(RGBA(9, 9, 9, 255), 4), repeat(RGBA(9, 9, 9, 0), 4)});
    const auto longRamp = join({repeat(G, 70), grays({131}), repeat(RGBA::gray(139), 70)});
    const struct {
        const char* name;
        std::vector<RGBA> line;
        std::int64_t from;
        Span expected;
        EdgeOptions options = kDefault;
    } rows[] = {
        {"black_bar_from_inside", kBlackBar, 7, {5, 10, false, false}},
        {"ramp_of_8_levels_is_no_edge", ramp(20, 8, 24), 12, {0, 24, true, true}},
        {"ramp_from_the_first_pixel_is_no_edge", ramp(0, 8, 30), 0, {0, 30, true, true}},
        // Ends of the line and one-pixel features.
        {"single_pixel_line", {W}, 0, {0, 1, true, true}},
        {"pointer_on_first_pixel", join({repeat(W, 3), {K}}), 0, {0, 3, true, false}},
        {"pointer_on_last_pixel", join({{K}, repeat(W, 3)}), 3, {1, 4, false, true}},
        {"one_pixel_line_under_pointer", hairline, 3, {3, 4, false, false}},
        {"one_pixel_line_beside_pointer", hairline, 1, {0, 3, true, false}},
        // Textures and noise are walked through; what follows them is still found.
        {"texture", texture, 4, {0, 16, true, true}},
        {"texture_then_black", join({texture, repeat(K, 8)}), 4, {0, 16, true, false}},
        {"noise_then_black", join({noise(100), repeat(K, 5)}), 3, {0, 100, true, false}},
        // Anti-aliased ramps over two steps: the middle pixel joins the nearer side.
        {"soft_ramp_from_dark", softRamp, 1, {0, 4, true, false}},
        {"soft_ramp_from_light", softRamp, 5, {4, 7, false, true}},
        {"ramp_equal_steps_edge_after_A", grays({0, 0, 0, 8, 16, 16, 16}), 1, {0, 3, true, false}},
        {"two_step_change_in_tiny_list_is_edge", grays({0, 8, 16}), 0, {0, 1, true, false}},
        // Strict comparisons: threshold, then sharpness × variation, then the same for ramps.
        {"at_threshold_no_change", step, 1, {0, 5, true, true}, {10 / 255.0, 2.5}},
        {"above_threshold_change", step, 1, {0, 3, true, false}, {9.9 / 255.0, 2.5}},
        {"variation_at_jump_no_edge", jumpy, 1, {0, 4, true, true}, {5 / 255.0, 2}},
        {"variation_below_jump_edge", jumpy, 1, {0, 2, true, false}, {5 / 255.0, 1.9}},
        {"ramp_variation_at_change_no_edge", ramp8, 5, {0, 10, true, true}, {0.035, 1}},
        {"ramp_variation_below_change_edge", ramp8, 5, {5, 6, false, false}, {0.035, 0.9}},
        {"nan_threshold_no_edge", kBlackBar, 7, {0, 15, true, true}, {std::nan(""), 2.5}},
        {"alpha_only_step", alphaStep, 1, {0, 4, true, false}},
        {"soft_ramp_after_bulk_skipped_run", longRamp, 3, {0, 71, true, false}},
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
        SCOPED_TRACE(edge);
        const auto right = EdgeDetector::span(join({repeat(G, edge), repeat(K, 20)}), 0, kDefault);
        ASSERT_TRUE(right);
        EXPECT_EQ(fields(*right), fields({0, static_cast<std::int64_t>(edge), true, false}));
        const auto mirrored = join({repeat(K, 20), repeat(G, edge)});
        const auto left =
            EdgeDetector::span(mirrored, static_cast<std::int64_t>(mirrored.size()) - 1, kDefault);
        ASSERT_TRUE(left);
        EXPECT_EQ(left->start, 20);
        EXPECT_FALSE(left->openStart);
    }
}

/// A blended pixel between white and black is claimed by the same side from both directions:
/// white's when it is nearer to white.
TEST(EdgeDetectorTest, BlendedBoundaryIsTheSameFromBothSides) {
    for (const int level : {3, 100, 127, 128, 250}) {
        SCOPED_TRACE(level);
        const auto line = join({repeat(W, 5), grays({level}), repeat(K, 5)});
        const auto fromWhite = EdgeDetector::span(line, 1, kDefault);
        const auto fromBlack = EdgeDetector::span(line, 9, kDefault);
        ASSERT_TRUE(fromWhite && fromBlack);
        EXPECT_EQ(fromWhite->end, fromBlack->start);
        EXPECT_EQ(fromWhite->end, level >= 128 ? 6 : 5);
    }
}

TEST(EdgeDetectorTest, MeasureCombinesRowAndColumn) {
    // Right and down count the pointer's own pixel, left and up do not.
    const auto column = join({repeat(K, 2), repeat(W, 4), repeat(K, 3)});
    const auto m = EdgeDetector::measure(kBlackBar, column, 7, 3, kDefault);
    ASSERT_TRUE(m);
    EXPECT_EQ(fields(m->horizontal), fields({5, 10, false, false}));
    EXPECT_EQ(fields(m->vertical), fields({2, 6, false, false}));
    EXPECT_EQ(std::tuple(m->left(), m->right(), m->width()), std::tuple(2, 3, 5));
    EXPECT_EQ(std::tuple(m->up(), m->down(), m->height()), std::tuple(1, 3, 4));

    // Through a buffer: a 3 × 2 black box at (2, 1) in an 8 × 5 white buffer.
    PixelBuffer buffer(8, 5, W);
    for (std::int64_t y = 1; y < 3; ++y) {
        for (std::int64_t x = 2; x < 5; ++x) {
            buffer(x, y) = K;
        }
    }
    const auto b = EdgeDetector::measure(buffer, 3, 2, kDefault);
    ASSERT_TRUE(b);
    EXPECT_EQ(fields(b->horizontal), fields({2, 5, false, false}));
    EXPECT_EQ(fields(b->vertical), fields({1, 3, false, false}));
    EXPECT_FALSE(EdgeDetector::measure(buffer, 8, 0, kDefault));
    EXPECT_FALSE(EdgeDetector::measure(buffer, 0, 5, kDefault));
    EXPECT_FALSE(EdgeDetector::measure(PixelBuffer(), 0, 0, kDefault));
}

TEST(EdgeDetectorTest, NothingOutsideTheLines) {
    const std::vector<RGBA> empty;
    const auto line = repeat(W, 4);
    EXPECT_FALSE(EdgeDetector::measure(empty, line, 0, 0, kDefault));
    EXPECT_FALSE(EdgeDetector::measure(line, empty, 0, 0, kDefault));
    for (const auto& [x, y] : {std::pair<std::int64_t, std::int64_t>{-1, 0},
                               {4, 0},
                               {0, 4},
                               {0, std::numeric_limits<std::int64_t>::min()}}) {
        EXPECT_FALSE(EdgeDetector::measure(line, line, x, y, kDefault)) << x << ", " << y;
    }
    EXPECT_FALSE(EdgeDetector::span(empty, 0, kDefault));
    EXPECT_FALSE(EdgeDetector::span(line, 4, kDefault));
    EXPECT_FALSE(EdgeDetector::span(line, -1, kDefault));
}

TEST(EdgeOptionsTest, FromTolerance) {
    for (const double none : {0.0, -1.0, std::nan("")}) {
        EXPECT_DOUBLE_EQ(EdgeOptions::fromTolerance(none).threshold, 0.01) << none;
    }
    EXPECT_DOUBLE_EQ(EdgeOptions::fromTolerance(5).threshold, 0.26);
    EXPECT_DOUBLE_EQ(EdgeOptions::fromTolerance(EdgeOptions::defaultTolerance).threshold, 0.035);
    EXPECT_EQ(EdgeOptions::fromTolerance(0.3).sharpness, 2.5);
}

TEST(SpanJsonTest, RoundTripAndStrictKeys) {
    const Span s{3, 17, true, false};
    EXPECT_EQ(Json::parse(encode(s)),
              Json::parse(R"({"start":3,"end":17,"openStart":true,"openEnd":false})"));
    EXPECT_EQ(decode<Span>(std::string_view(encode(s))), s);
    for (const char* text :
         {R"({"start":3,"end":17,"openStart":true})",
          R"({"start":3.5,"end":17,"openStart":true,"openEnd":false})",
          R"({"start":"3","end":17,"openStart":true,"openEnd":false})",
          R"({"start":3,"end":17,"openStart":1,"openEnd":false})", "[3,17,true,false]"}) {
        EXPECT_FALSE(decode<Span>(std::string_view(text))) << text;
    }
}

} // namespace
} // namespace spanlet
