#include <gtest/gtest.h>
#include <optional>

#include <spanlet/overlay/DrawOps.hpp>
#include <spanlet/overlay/FakeTextMeasurer.hpp>
#include <spanlet/overlay/LabelBox.hpp>

namespace spanlet::testing {
namespace {

using namespace draw;

// The damage each operation reports: what a backend repaints when it appears or goes away.
TEST(DrawOpsTest, BoundsCoverEverythingTheOpTouches) {
    const struct {
        const char* name;
        DrawOp op;
        std::optional<Rect> bounds;
    } rows[] = {
        {"stroke_grows_by_half_the_line_width",
         StrokePath{Path{}.addLine({10, 10}, {50, 10}), Color::white(), 2}, Rect{9, 9, 42, 2}},
        {"shadow_spreads_by_blur_and_offset",
         FillPathWithShadow{
             Path::rect({10, 10, 100, 100}), Color::white(), Color::black(0.35), 8, {0, 3}},
         Rect{2, 5, 116, 116}},
        {"text_box_from_anchor", DrawText{"x", {}, {50, 50}, {1, 0.5}, {20, 10}, Color::white()},
         Rect{30, 45, 20, 10}},
        {"clip_draws_nothing", PushClip{Path::rect({0, 0, 10, 10})}, std::nullopt},
        {"empty_path_draws_nothing", StrokePath{Path{}, Color::white(), 4}, std::nullopt},
        {"no_pixels_draw_nothing", FillPixels{{0, 0, 10, 10}, PixelBuffer{}}, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(draw::bounds(row.op), row.bounds);
    }

    DrawList list;
    EXPECT_EQ(list.bounds(), std::nullopt);
    list.add(FillRect{{10, 10, 5, 5}, Color::white()});
    list.add(PushClip{Path::rect({-100, -100, 1000, 1000})});
    list.add(StrokePath{Path{}.addLine({40, 0}, {40, 30}), Color::white(), 1});
    EXPECT_EQ(list.bounds(), (Rect{10, -0.5, 30.5, 31}));
}

TEST(DrawOpsTest, PathBoundsHoldLinesAndShapesAndMoveWithThePath) {
    Path path;
    path.addLine({5, 5}, {7, 9}).addRect({-3, 6, 2, 2}).addRoundedRect({0, 0, 1, 20}, 0.5);
    EXPECT_EQ(path.bounds(), (Rect{-3, 0, 10, 20}));
    EXPECT_EQ(Path{}.bounds(), std::nullopt);
    // Moved, every element keeps its shape: the same bounds, shifted; moved back, the same path.
    const Path moved = path.translated(10.5, -2);
    EXPECT_EQ(moved.bounds(), (Rect{7.5, -2, 10, 20}));
    EXPECT_EQ(moved.translated(-10.5, 2), path);
}

// "12345" at size 13 measures 39 × 15.6: with the default padding its box is 51 × 20.6, and it
// stays 4 points inside the canvas, the far edge winning when it does not fit.
TEST(LabelBoxTest, StaysFourPointsInsideTheCanvas) {
    namespace U = UnitPoint;
    constexpr double w = 51;
    constexpr double h = 20.6;
    const struct {
        const char* name;
        double canvasWidth; // 800 high
        Point at;
        Point anchor;
        Point origin;
    } rows[] = {
        {"inside_stays_put", 1000, {500, 400}, U::center, {500 - w / 2, 400 - h / 2}},
        {"past_right_edge", 1000, {1000, 400}, U::leading, {1000 - w - 4, 400 - h / 2}},
        {"past_bottom_edge", 1000, {500, 800}, U::topTrailing, {500 - w, 800 - h - 4}},
        {"exactly_four_inside_is_kept", 1000, {4, 4}, U::topLeading, {4, 4}},
        {"wider_than_canvas_far_edge_wins", 40, {20, 400}, U::center, {40 - w - 4, 400 - h / 2}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        DrawList list;
        const Rect box = addLabelBox(list, FakeTextMeasurer{}, {row.canvasWidth, 800}, "12345",
                                     row.at, {13, row.anchor, Color::white()});
        EXPECT_NEAR(box.x, row.origin.x, 1e-9);
        EXPECT_NEAR(box.y, row.origin.y, 1e-9);
        EXPECT_NEAR(box.width, w, 1e-9);
        EXPECT_NEAR(box.height, h, 1e-9);
    }
}

TEST(LabelBoxTest, DrawsRoundedBoxThenWhiteSemiboldTextAtItsCentre) {
    DrawList list;
    const Color fill{0.1, 0.2, 0.3, 0.5};
    const Rect box = addLabelBox(list, FakeTextMeasurer{}, {1000, 800}, "12345", {100, 100},
                                 {13, UnitPoint::topLeading, fill, {24, 10}});
    EXPECT_EQ(box, (Rect{100, 100, 39 + 24, 15.6 + 10}));
    ASSERT_EQ(list.ops.size(), 2U);
    EXPECT_EQ(list.ops[0], DrawOp(FillPath{Path::roundedRect(box, box.height / 2.6, true), fill}));
    const auto& text = std::get<DrawText>(list.ops[1]);
    EXPECT_EQ(text.text, "12345");
    EXPECT_EQ(text.font, (FontSpec{13, FontWeight::semibold, true}));
    EXPECT_EQ(text.color, Color::white());
    EXPECT_NEAR(text.box().x, 112, 1e-9); // padding split evenly around the text
    EXPECT_NEAR(text.box().y, 105, 1e-9);
}

} // namespace
} // namespace spanlet::testing
