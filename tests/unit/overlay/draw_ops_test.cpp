#include <gtest/gtest.h>
#include <optional>
#include <ostream>

#include <spanlet/overlay/DrawOps.hpp>
#include <spanlet/overlay/FakeTextMeasurer.hpp>

#include "OverlayTestSupport.hpp"

namespace spanlet::testing {
namespace {

using namespace draw;

// The damage each operation reports: what a backend repaints when it appears or goes away.
struct BoundsCase {
    const char* name;
    DrawOp op;
    std::optional<Rect> bounds;
};
void PrintTo(const BoundsCase& c, std::ostream* os) {
    *os << c.name;
}

class OpBoundsTest : public ::testing::TestWithParam<BoundsCase> {};

TEST_P(OpBoundsTest, CoversEverythingTheOpTouches) {
    EXPECT_EQ(draw::bounds(GetParam().op), GetParam().bounds);
}

INSTANTIATE_TEST_SUITE_P(
    Ops, OpBoundsTest,
    ::testing::Values(

        BoundsCase{"fill_rounded_rect",
                   FillPath{Path::roundedRect({10, 20, 30, 40}, 5), Color::white()},
                   Rect{10, 20, 30, 40}},
        BoundsCase{"stroke_grows_by_half_the_line_width",
                   StrokePath{Path{}.addLine({10, 10}, {50, 10}), Color::white(), 2},
                   Rect{9, 9, 42, 2}},
        BoundsCase{
            "shadow_spreads_by_blur_and_offset",
            FillPathWithShadow{
                Path::rect({10, 10, 100, 100}), Color::white(), Color::black(0.35), 8, {0, 3}},
            Rect{2, 5, 116, 116}},
        BoundsCase{"text_box_from_anchor",
                   DrawText{"x", {}, {50, 50}, {1, 0.5}, {20, 10}, Color::white()},
                   Rect{30, 45, 20, 10}},
        BoundsCase{"clip_draws_nothing", PushClip{Path::rect({0, 0, 10, 10})}, std::nullopt},

        BoundsCase{"empty_path_draws_nothing", StrokePath{Path{}, Color::white(), 4},
                   std::nullopt}),
    CaseName{});

TEST(DrawListTest, BoundsUniteEveryOperation) {
    DrawList list;
    EXPECT_EQ(list.bounds(), std::nullopt);
    list.add(FillRect{{10, 10, 5, 5}, Color::white()});
    list.add(PushClip{Path::rect({-100, -100, 1000, 1000})});
    list.add(StrokePath{Path{}.addLine({40, 0}, {40, 30}), Color::white(), 1});
    list.add(PopClip{});
    EXPECT_EQ(list.bounds(), (Rect{10, -0.5, 30.5, 31}));
}

TEST(DrawListTest, PathBoundsHoldLinesAndShapes) {
    Path path;
    path.addLine({5, 5}, {7, 9}).addRect({-3, 6, 2, 2}).addRoundedRect({0, 0, 1, 20}, 0.5);
    EXPECT_EQ(path.bounds(), (Rect{-3, 0, 10, 20}));
    EXPECT_EQ(Path{}.bounds(), std::nullopt);

    // Moved, every element keeps its shape: the same bounds, shifted; moved back, the same path.
    const Path moved = path.translated(10.5, -2);
    EXPECT_EQ(moved.bounds(), (Rect{7.5, -2, 10, 20}));
    EXPECT_EQ(moved.translated(-10.5, 2), path);
}

} // namespace
} // namespace spanlet::testing
