#include <gtest/gtest.h>
#include <ostream>

#include <spanlet/ColorText.hpp>
#include <spanlet/overlay/FakeTextMeasurer.hpp>
#include <spanlet/overlay/OverlayColors.hpp>
#include <spanlet/overlay/OverlayPainter.hpp>

#include "OverlayTestSupport.hpp"

namespace spanlet::testing {
namespace {

using namespace draw;

const FakeTextMeasurer measurer;

OverlayScene loupeScene(Point pointer, PixelBuffer patch, std::optional<std::string> hint) {
    OverlayScene scene;
    scene.size = {1000, 800};
    scene.pointer = pointer;
    scene.loupe = Loupe{std::move(patch), SRGBColor(0.2, 0.4, 0.6, 0.5)};
    scene.loupeHint = std::move(hint);
    return scene;
}

// A 15-pixel patch makes a 120-point loupe beside the pointer, flipped where it would not fit.
struct PlacementCase {
    const char* name;
    Point pointer;
    Point origin;
};
void PrintTo(const PlacementCase& c, std::ostream* os) {
    *os << c.name;
}

class LoupePlacementTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(LoupePlacementTest, FlipsNearTheEdges) {
    const PlacementCase& c = GetParam();
    const DrawList list =
        layoutOverlay(loupeScene(c.pointer, PixelBuffer(15, 15, RGBA::white), {}), measurer);
    const auto frames = opsOf<FillPathWithShadow>(list);
    ASSERT_EQ(frames.size(), 1U);
    EXPECT_EQ(frames[0].path.bounds(), (Rect{c.origin.x, c.origin.y, 120, 120}));
}

INSTANTIATE_TEST_SUITE_P(
    Edges, LoupePlacementTest,
    ::testing::Values(PlacementCase{"below_right", {100, 100}, {124, 148}},
                      PlacementCase{"room_exactly_on_the_right", {848, 100}, {872, 148}},
                      PlacementCase{"flips_left_near_right_edge", {849, 100}, {705, 148}},
                      PlacementCase{"room_exactly_below", {100, 592}, {124, 640}},
                      PlacementCase{"flips_up_near_bottom_edge", {100, 593}, {124, 395}},
                      PlacementCase{"flips_both_in_corner", {990, 790}, {846, 592}}),
    CaseName{});

TEST(LoupeLayoutTest, DrawsFrameCellsGridMarkerOutlineSwatchAndText) {
    PixelBuffer patch(3, 3, RGBA::white);
    patch(0, 0) = RGBA(255, 0, 0, 255);
    patch(2, 1) = RGBA(0, 0, 255, 51);
    const OverlayScene scene = loupeScene({100, 100}, patch, "⌃⇧C copies");
    const DrawList list = layoutOverlay(scene, measurer);
    const double x = 124;
    const double y = 148;
    const Path frame = Path::roundedRect({x, y, 24, 24}, 10, true);

    std::size_t i = 0;
    EXPECT_EQ(list.ops.at(i++),
              DrawOp(FillPathWithShadow{frame, Color::white(), Color::black(0.35), 8, {0, 3}}));
    EXPECT_EQ(list.ops.at(i++), DrawOp(PushClip{frame}));
    EXPECT_EQ(list.ops.at(i++), DrawOp(FillPixels{{x, y, 24, 24}, patch})); // 8-point cells
    EXPECT_EQ(list.ops.at(i++), DrawOp(StrokePath{Path{}
                                                      .addLine({x + 8, y}, {x + 8, y + 24})
                                                      .addLine({x, y + 8}, {x + 24, y + 8})
                                                      .addLine({x + 16, y}, {x + 16, y + 24})
                                                      .addLine({x, y + 16}, {x + 24, y + 16}),
                                                  Color::black(0.12), 0.5}));
    EXPECT_EQ(list.ops.at(i++), DrawOp(PopClip{}));
    // Centre cell (1, 1), outside the clip so the rings are whole.
    EXPECT_EQ(list.ops.at(i++),
              DrawOp(StrokePath{Path::rect({x + 7, y + 7, 10, 10}), Color::white(), 2}));
    EXPECT_EQ(list.ops.at(i++),
              DrawOp(StrokePath{Path::rect({x + 6, y + 6, 12, 12}), Color::black(0.7), 1}));
    EXPECT_EQ(list.ops.at(i++), DrawOp(StrokePath{frame, Color::black(0.25), 1}));
    const Path swatch = Path::roundedRect({x, y + 32, 18, 18}, 4, true);
    EXPECT_EQ(list.ops.at(i++), DrawOp(FillPath{swatch, {0.2, 0.4, 0.6, 1}})); // alpha unused
    EXPECT_EQ(list.ops.at(i++), DrawOp(StrokePath{swatch, Color::white(), 1.5}));

    const std::string text =
        ColorText::string(scene.loupe->color, ColorStyle::hex) + "  ⌃⇧C copies";
    ASSERT_EQ(textIndex(list, text), i + 1);
    EXPECT_EQ(std::get<FillPath>(list.ops.at(i)).color, OverlayColors::labelBackground);
    const Rect box = *labelBox(list, text);
    EXPECT_NEAR(box.x, x + 24, 1e-9); // 6 points right of the swatch
    EXPECT_NEAR(box.y + box.height / 2, y + 32 + 9, 1e-9);
    EXPECT_EQ(i + 2, list.ops.size());
}

TEST(LoupeLayoutTest, CentreMarkerSitsOnTheMiddlePixelOfALargePatch) {
    const DrawList list =
        layoutOverlay(loupeScene({100, 100}, PixelBuffer(15, 15, RGBA::white), {}), measurer);
    const auto cells = opsOf<FillPixels>(list);
    ASSERT_EQ(cells.size(), 1U);
    EXPECT_EQ(cells[0].rect, (Rect{124, 148, 120, 120}));
    const auto strokes = opsOf<StrokePath>(list);
    ASSERT_GE(strokes.size(), 3U);
    EXPECT_EQ(strokes[1].path.bounds(), (Rect{124 + 56 - 1, 148 + 56 - 1, 10, 10}));
}

// The frame is as tall as the patch is wide: a taller patch shows its top rows only.
TEST(LoupeLayoutTest, TallerPatchShowsItsTopSquare) {
    PixelBuffer patch(3, 5, RGBA::white);
    patch(1, 2) = RGBA(255, 0, 0, 255);
    patch(1, 3) = RGBA(0, 0, 255, 255);
    const auto cells =
        opsOf<FillPixels>(layoutOverlay(loupeScene({100, 100}, patch, {}), measurer));
    ASSERT_EQ(cells.size(), 1U);
    EXPECT_EQ(cells[0].rect, (Rect{124, 148, 24, 24}));
    PixelBuffer top(3, 3, RGBA::white);
    top(1, 2) = RGBA(255, 0, 0, 255);
    EXPECT_EQ(cells[0].pixels, top);
}

TEST(LoupeLayoutTest, EmptyPatchDrawsNoLoupe) {
    const DrawList list =
        layoutOverlay(loupeScene({100, 100}, PixelBuffer{}, "⌃⇧C copies"), measurer);
    EXPECT_TRUE(list.ops.empty());
}

} // namespace
} // namespace spanlet::testing
