#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <spanlet/ColorText.hpp>
#include <spanlet/overlay/OverlayColors.hpp>
#include <spanlet/overlay/OverlayPainter.hpp>

#include "fakes/FakeTextMeasurer.hpp"

namespace spanlet::testing {
namespace {

using namespace draw;

const FakeTextMeasurer measurer;

/// Every operation of type Op in the list, in order.
template <class Op>
std::vector<Op> opsOf(const DrawList& list) {
    std::vector<Op> found;
    for (const DrawOp& op : list.ops) {
        if (const auto* typed = std::get_if<Op>(&op)) {
            found.push_back(*typed);
        }
    }
    return found;
}

/// Index of the first text operation whose text is `text`, or nothing.
std::optional<std::size_t> textIndex(const DrawList& list, std::string_view text) {
    for (std::size_t i = 0; i < list.ops.size(); ++i) {
        const auto* t = std::get_if<DrawText>(&list.ops[i]);
        if (t != nullptr && t->text == text) {
            return i;
        }
    }
    return std::nullopt;
}

/// The filled box drawn right before the label showing `text`; throws when there is none.
FillPath labelFill(const DrawList& list, std::string_view text) {
    return std::get<FillPath>(list.ops.at(textIndex(list, text).value() - 1));
}

OverlayScene sceneOf(Size size, double scale = 1) {
    OverlayScene scene;
    scene.size = size;
    scene.scale = DisplayScale(scale);
    return scene;
}

/// A closed cross around (x, y) reaching `h` left and right and `v` up and down, measured at
/// scale 1 (one pixel per point), so each distance is its span.
Cross crossAround(double x, double y, double h, double v) {
    Cross c{.pointerX = x, .pointerY = y, .minX = x - h, .maxX = x + h, .minY = y - v};
    c.maxY = y + v;
    c.left = c.right = static_cast<std::int64_t>(h);
    c.up = c.down = static_cast<std::int64_t>(v);
    return c;
}

// Guides are crisp lines one device pixel thick but at least half a point; selected ones two
// pixels, with no minimum.
TEST(OverlayPainterTest, GuideThicknessFollowsTheDisplayScale) {
    OverlayScene scene = sceneOf({1000, 800}, 3);
    scene.guides = {{Uuid::random(), Axis::vertical, 100, false},
                    {Uuid::random(), Axis::horizontal, 200, true}};
    EXPECT_EQ(
        opsOf<StrokePath>(layoutOverlay(scene, measurer)),
        (std::vector<StrokePath>{
            {Path{}.addLine({100, 0}, {100, 800}), OverlayColors::guide, 0.5, true},
            {Path{}.addLine({0, 200}, {1000, 200}), OverlayColors::selectedGuide, 2.0 / 3, true}}));
}

// End caps only on closed ends, the far ones on the span's last pixel; distance labels only where
// their span has room (strictly more than 44 points across, 34 up and down), reading pixels as
// points at the cross's own scale. The live vertical line is an operation of its own, reported
// as such.
TEST(OverlayPainterTest, CrossCapsClosedEndsAndLabelsRoomySpans) {
    OverlayScene scene = sceneOf({1000, 800});
    scene.live = crossAround(500, 400, 44.5, 34);
    scene.live->scale = 2;
    scene.live->openLeft = scene.live->openUp = true;
    OverlayPainter::Parts parts;
    const DrawList list = layoutOverlay(scene, measurer, &parts);
    EXPECT_EQ(opsOf<StrokePath>(list).at(0), (StrokePath{Path{}
                                                             .addLine({455.5, 400}, {544.5, 400})
                                                             .addLine({544.5, 394}, {544.5, 406})
                                                             .addLine({494, 433.5}, {506, 433.5}),
                                                         OverlayColors::live, 1, true}));
    const StrokePath column{Path{}.addLine({500, 366}, {500, 434}), OverlayColors::live, 1, true};
    ASSERT_TRUE(parts.column.has_value());
    EXPECT_EQ(std::get<StrokePath>(list.ops.at(*parts.column)), column);
    EXPECT_TRUE(textIndex(list, "22")) << "44 pixels at scale 2, left and right";
    EXPECT_FALSE(textIndex(list, "17")) << "34 pixels up and down is too short";
}

// A kept cross's size label hangs below right of its pointer, in its colour; the message hangs
// above right of the pointer; both flip near the right and bottom edges of the 1000 × 800
// display. `unit` is the point of the label's box that lies on `at`.
TEST(OverlayPainterTest, SizeLabelAndMessageFlipNearTheEdges) {
    namespace U = UnitPoint;
    const struct {
        const char* name;
        bool message; // else the size label
        std::optional<Point> pointer;
        Point at, unit;
    } rows[] = {
        {"size_exactly_150_from_right", false, Point{850, 400}, {862, 416}, U::topLeading},
        {"size_within_150_of_right", false, Point{851, 400}, {839, 416}, U::topTrailing},
        {"size_within_40_of_bottom", false, Point{500, 761}, {512, 745}, U::bottomLeading},
        {"message_within_260_of_right", true, Point{741, 300}, {725, 274}, U::trailing},
        {"message_without_pointer_near_top", true, std::nullopt, {500, 60}, U::center},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        OverlayScene scene = sceneOf({1000, 800});
        scene.pointer = row.pointer;
        if (row.message) {
            scene.message = "Points";
        } else {
            scene.pinned = {crossAround(row.pointer->x, row.pointer->y, 5, 5)};
        }
        const DrawList list = layoutOverlay(scene, measurer);
        const auto texts = opsOf<DrawText>(list);
        ASSERT_EQ(texts.size(), 1U);
        const FillPath fill = labelFill(list, texts[0].text);
        const Rect box = *fill.path.bounds();
        EXPECT_NEAR(box.x + row.unit.x * box.width, row.at.x, 1e-9);
        EXPECT_NEAR(box.y + row.unit.y * box.height, row.at.y, 1e-9);
        EXPECT_EQ(fill.color, row.message ? OverlayColors::labelBackground : OverlayColors::kept);
    }
}

// Unselected guides, selected ones, gap labels, kept measurements, the live one, the loupe, the
// message, and last the editing banner, below the middle. A gap label is its line with end
// ticks and its text centred above it.
TEST(OverlayPainterTest, PaintsInLayerOrderEndingWithTheEditingBanner) {
    OverlayScene scene = sceneOf({1600, 900});
    scene.guides = {{Uuid::random(), Axis::vertical, 50, true},
                    {Uuid::random(), Axis::vertical, 60, false}};
    scene.gaps = {{Axis::vertical, 50, 60, 80, "GAP"}};
    scene.pinned = {crossAround(200, 200, 50, 50)};
    scene.live = crossAround(400, 300, 100, 100);
    scene.pointer = Point{400, 300};
    scene.loupe = Loupe{PixelBuffer(3, 3, RGBA::white), SRGBColor(1, 1, 1, 1)};
    scene.message = "MESSAGE";
    scene.editing = true;
    const DrawList list = layoutOverlay(scene, measurer);
    // Index of the first operation of type Op in colour `c`.
    const auto first = [&]<class Op>(Op, Color c) {
        const auto at = std::find_if(list.ops.begin(), list.ops.end(), [&](const DrawOp& op) {
            const auto* o = std::get_if<Op>(&op);
            return o != nullptr && o->color == c;
        });
        return static_cast<std::size_t>(at - list.ops.begin());
    };
    const std::vector<std::size_t> layers{
        first(StrokePath{}, OverlayColors::guide),
        first(StrokePath{}, OverlayColors::selectedGuide),
        *textIndex(list, "GAP"),
        first(StrokePath{}, OverlayColors::kept),
        first(StrokePath{}, OverlayColors::live),
        first(FillPathWithShadow{}, Color::white()),
        *textIndex(list, "MESSAGE"),
        list.ops.size() - 1,
    };
    EXPECT_TRUE(std::is_sorted(layers.begin(), layers.end()));
    EXPECT_EQ(std::set<std::size_t>(layers.begin(), layers.end()).size(), layers.size());
    EXPECT_EQ(list.ops.at(*textIndex(list, "GAP") - 2),
              DrawOp(StrokePath{Path{}
                                    .addLine({50, 80}, {60, 80})
                                    .addLine({50, 75}, {50, 85})
                                    .addLine({60, 75}, {60, 85}),
                                OverlayColors::guide, 1, true}));
    const Rect gap = *labelFill(list, "GAP").path.bounds();
    EXPECT_NEAR(gap.x + gap.width / 2, 55, 1e-9);
    EXPECT_NEAR(gap.y + gap.height / 2, 68, 1e-9);
    const std::string banner = "Editing guides: drag to move · Tab selects · arrows nudge · "
                               "Delete removes · V or H adds · Esc when done";
    const Rect box = *labelFill(list, banner).path.bounds();
    EXPECT_EQ(*textIndex(list, banner), list.ops.size() - 1);
    EXPECT_NEAR(box.x + box.width / 2, 800, 1e-9);
    EXPECT_NEAR(box.y + box.height / 2, 844, 1e-9);
}

/// The loupe's layout on a 1000 × 800 display, pointer at `pointer`.
DrawList loupeAt(Point pointer, PixelBuffer patch) {
    OverlayScene scene = sceneOf({1000, 800});
    scene.pointer = pointer;
    scene.loupe = Loupe{std::move(patch), SRGBColor(0.2, 0.4, 0.6, 0.5)};
    scene.loupeHint = "Ctrl+Shift+C copies";
    return layoutOverlay(scene, measurer);
}

// A 15-pixel patch makes a 120-point loupe below right of the pointer, flipped where it would
// not fit. The frame is as tall as the patch is wide (a taller patch shows its top square); the
// centre cell is ringed; the colour reads in hex beside an opaque swatch; an empty patch draws
// nothing.
TEST(LoupeLayoutTest, ShowsTheTopSquareTheCentreCellAndTheColour) {
    PixelBuffer patch(3, 5, RGBA::white);
    patch(1, 2) = RGBA(255, 0, 0, 255);
    const DrawList list = loupeAt({100, 100}, patch);
    PixelBuffer top(3, 3, RGBA::white);
    top(1, 2) = RGBA(255, 0, 0, 255);
    EXPECT_EQ(opsOf<FillPixels>(list).at(0), (FillPixels{{124, 148, 24, 24}, top}));
    const auto strokes = opsOf<StrokePath>(list);
    EXPECT_NE(std::find(strokes.begin(), strokes.end(),
                        StrokePath{Path::rect({131, 155, 10, 10}), Color::white(), 2}),
              strokes.end());
    const std::string text =
        ColorText::string(SRGBColor(0.2, 0.4, 0.6, 0.5), ColorStyle::hex) + "  Ctrl+Shift+C copies";
    EXPECT_EQ(textIndex(list, text), list.ops.size() - 1);
    // The swatch, drawn before its ring and the label's box and text.
    EXPECT_EQ(std::get<FillPath>(list.ops.at(list.ops.size() - 4)).color,
              (Color{0.2, 0.4, 0.6, 1}));
    EXPECT_TRUE(loupeAt({100, 100}, PixelBuffer{}).ops.empty());
    const PixelBuffer white(15, 15, RGBA::white);
    EXPECT_EQ(opsOf<FillPixels>(loupeAt({848, 100}, white)).at(0).rect, (Rect{872, 148, 120, 120}));
    EXPECT_EQ(opsOf<FillPixels>(loupeAt({990, 790}, white)).at(0).rect, (Rect{846, 592, 120, 120}));
}

} // namespace
} // namespace spanlet::testing
