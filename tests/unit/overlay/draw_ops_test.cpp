#include <gtest/gtest.h>
#include <optional>

#include <spanlet/draw/DrawOps.hpp>
#include <spanlet/draw/LabelBox.hpp>

#include "fakes/FakeTextMeasurer.hpp"

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
        {"empty_path_draws_nothing", StrokePath{Path{}, Color::white(), 4}, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(draw::bounds(row.op), row.bounds);
    }
    DrawList list;
    EXPECT_EQ(list.bounds(), std::nullopt);
    list.add(FillRect{{10, 10, 5, 5}, Color::white()});
    const Path path = Path{}.addLine({40, 0}, {40, 30}).addRoundedRect({0, 0, 1, 20}, 0.5);
    list.add(StrokePath{path, Color::white(), 1});
    EXPECT_EQ(list.bounds(), (Rect{-0.5, -0.5, 41, 31}));
    // Moved, every element keeps its shape; moved back, the same path.
    EXPECT_EQ(path.translated(10.5, -2).bounds(), (Rect{10.5, -2, 40, 30}));
    EXPECT_EQ(path.translated(10.5, -2).translated(-10.5, 2), path);
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
        Point at, anchor, origin;
    } rows[] = {
        {"inside_stays_put", 1000, {500, 400}, U::center, {500 - w / 2, 400 - h / 2}},
        {"past_right_edge", 1000, {1000, 400}, U::leading, {1000 - w - 4, 400 - h / 2}},
        {"past_bottom_edge", 1000, {500, 800}, U::topTrailing, {500 - w, 800 - h - 4}},
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

} // namespace
} // namespace spanlet::testing
