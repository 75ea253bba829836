#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <spanlet/ColorText.hpp>
#include <spanlet/MeasurementText.hpp>
#include <spanlet/overlay/FakeTextMeasurer.hpp>
#include <spanlet/overlay/OverlayColors.hpp>
#include <spanlet/overlay/OverlayPainter.hpp>

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

Rect labelBox(const DrawList& list, std::string_view text) {
    return labelFill(list, text).path.bounds().value();
}

/// Every text drawn, in order.
std::vector<std::string> texts(const DrawList& list) {
    std::vector<std::string> found;
    for (const DrawText& t : opsOf<DrawText>(list)) {
        found.push_back(t.text);
    }
    return found;
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
    const auto across = static_cast<std::int64_t>(h);
    const auto along = static_cast<std::int64_t>(v);
    return {.pointerX = x,
            .pointerY = y,
            .minX = x - h,
            .maxX = x + h,
            .minY = y - v,
            .maxY = y + v,
            .left = across,
            .right = across,
            .up = along,
            .down = along};
}

// Guide thickness: one device pixel, at least half a point; selected guides two pixels.
TEST(OverlayPainterTest, GuideThicknessFollowsTheDisplayScale) {
    const struct {
        const char* name;
        double scale;
        bool selected;
        double thickness;
    } rows[] = {
        {"scale_1_selected", 1, true, 2},
        {"scale_2", 2, false, 0.5},
        {"scale_3_stays_half_a_point", 3, false, 0.5},
        {"scale_3_selected_has_no_minimum", 3, true, 2.0 / 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        OverlayScene scene = sceneOf({1000, 800}, row.scale);
        scene.guides = {{Uuid::random(), Axis::vertical, 100, row.selected},
                        {Uuid::random(), Axis::horizontal, 200, row.selected}};
        const Color colour = row.selected ? OverlayColors::selectedGuide : OverlayColors::guide;
        EXPECT_EQ(opsOf<FillRect>(layoutOverlay(scene, measurer)),
                  (std::vector<FillRect>{{{100, 0, row.thickness, 800}, colour},
                                         {{0, 200, 1000, row.thickness}, colour}}));
    }
}

TEST(OverlayPainterTest, GapLabelsDrawLineTicksAndBox) {
    OverlayScene scene = sceneOf({1000, 800});
    scene.gaps = {{Uuid::random(), Axis::vertical, 100, 300, 80, "200 pt"},
                  {Uuid::random(), Axis::horizontal, 100, 300, 80, "200 px"}};
    const DrawList list = layoutOverlay(scene, measurer);
    const auto line = [](Point a, Point b) { return Path{}.addLine(a, b); };
    EXPECT_EQ(
        opsOf<StrokePath>(list),
        (std::vector<StrokePath>{
            {line({100, 80}, {300, 80}).addLine({100, 75}, {100, 85}).addLine({300, 75}, {300, 85}),
             OverlayColors::guide, 1},
            {line({80, 100}, {80, 300}).addLine({75, 100}, {85, 100}).addLine({75, 300}, {85, 300}),
             OverlayColors::guide, 1}}));
    const Rect vertical = labelBox(list, "200 pt");
    EXPECT_NEAR(vertical.x + vertical.width / 2, 200, 1e-9); // centred above the line
    EXPECT_NEAR(vertical.y + vertical.height / 2, 68, 1e-9);
    const Rect horizontal = labelBox(list, "200 px");
    EXPECT_NEAR(horizontal.x, 86, 1e-9); // leading, right of the line
    EXPECT_NEAR(horizontal.y + horizontal.height / 2, 200, 1e-9);
    EXPECT_EQ(labelFill(list, "200 px").color, OverlayColors::guide);
}

// End caps only on closed ends; the live cross in its own colour.
TEST(OverlayPainterTest, CrossCapsClosedEndsOnly) {
    OverlayScene scene = sceneOf({1000, 800});
    scene.live = crossAround(500, 400, 100, 50);
    const auto stroke = [&] { return opsOf<StrokePath>(layoutOverlay(scene, measurer)).at(0); };
    const auto lines = [] {
        return Path{}.addLine({400, 400}, {600, 400}).addLine({500, 350}, {500, 450});
    };
    EXPECT_EQ(stroke(), (StrokePath{lines()
                                        .addLine({400, 394}, {400, 406})  // left
                                        .addLine({600, 394}, {600, 406})  // right
                                        .addLine({494, 350}, {506, 350})  // up
                                        .addLine({494, 450}, {506, 450}), // down
                                    OverlayColors::live, 1}));
    scene.live->openLeft = scene.live->openUp = true;
    EXPECT_EQ(stroke(),
              (StrokePath{lines().addLine({600, 394}, {600, 406}).addLine({494, 450}, {506, 450}),
                          OverlayColors::live, 1}));
}

// Distance labels of the live cross appear only when their span has room (strictly more than
// 44 points across, 34 up and down); they read the pixel distances in points at the cross's
// own scale.
TEST(OverlayPainterTest, DistanceLabelsShowOnlyPastTheirThresholds) {
    const struct {
        const char* name;
        double h; // span left and right of the pointer, points
        double v; // span up and down
        bool horizontalLabels;
        bool verticalLabels;
    } rows[] = {
        {"forty_each_side_shows_only_vertical", 40, 40, false, true},
        {"exactly_at_thresholds_shows_none", 44, 34, false, false},
        {"just_past_thresholds_shows_all", 44.5, 34.5, true, true},
        {"wide_but_flat", 300, 20, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        OverlayScene scene = sceneOf({1000, 800});
        Cross cross = crossAround(500, 400, row.h, row.v);
        cross.scale = 2;
        cross.left = 22; // distinct texts per side
        cross.right = 44;
        cross.up = 66;
        cross.down = 88;
        scene.live = cross;
        const DrawList list = layoutOverlay(scene, measurer);
        EXPECT_EQ(textIndex(list, "11").has_value(), row.horizontalLabels);
        EXPECT_EQ(textIndex(list, "22").has_value(), row.horizontalLabels);
        EXPECT_EQ(textIndex(list, "33").has_value(), row.verticalLabels);
        EXPECT_EQ(textIndex(list, "44").has_value(), row.verticalLabels);
    }
}

TEST(OverlayPainterTest, LabelsStayFourPointsInsideAtEveryPointerPosition) {
    const Size size{640, 480};
    for (const double x : {0.0, 1.0, 30.0, 320.0, 600.0, 639.0}) {
        for (const double y : {0.0, 2.0, 20.0, 240.0, 470.0, 479.0}) {
            OverlayScene scene = sceneOf(size);
            scene.pointer = Point{x, y};
            scene.live = crossAround(x, y, 300, 300);
            scene.pinned = {crossAround(x, y, 1, 1)};
            scene.message = "Copied 120 × 80 pt";
            scene.loupe = Loupe{PixelBuffer(15, 15, RGBA::white), SRGBColor(1, 0, 0, 1)};
            scene.loupeHint = "⌃⇧C copies";
            scene.gaps = {{Uuid::random(), Axis::vertical, x - 50, x + 50, y, "100 pt"},
                          {Uuid::random(), Axis::horizontal, y - 50, y + 50, x, "100 pt"}};
            const DrawList list = layoutOverlay(scene, measurer);
            for (std::size_t i = 1; i < list.ops.size(); ++i) {
                const auto* text = std::get_if<DrawText>(&list.ops[i]);
                if (text == nullptr) {
                    continue;
                }
                SCOPED_TRACE(text->text);
                const Rect box = *std::get<FillPath>(list.ops[i - 1]).path.bounds();
                EXPECT_GE(box.minX(), 4 - 1e-9) << x << "," << y;
                EXPECT_GE(box.minY(), 4 - 1e-9) << x << "," << y;
                EXPECT_LE(box.maxX(), size.width - 4 + 1e-9) << x << "," << y;
                EXPECT_LE(box.maxY(), size.height - 4 + 1e-9) << x << "," << y;
            }
        }
    }
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
        // Below, though kept 4 points above the bottom edge (the box is 20.6 high).
        {"size_exactly_40_from_bottom", false, Point{500, 760}, {512, 775.4}, U::topLeading},
        {"size_within_40_of_bottom", false, Point{500, 761}, {512, 745}, U::bottomLeading},
        {"message_exactly_260_from_right", true, Point{740, 300}, {756, 274}, U::leading},
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
        ASSERT_EQ(texts(list).size(), 1U);
        const FillPath fill = labelFill(list, texts(list)[0]);
        const Rect box = *fill.path.bounds();
        EXPECT_NEAR(box.x + row.unit.x * box.width, row.at.x, 1e-9);
        EXPECT_NEAR(box.y + row.unit.y * box.height, row.at.y, 1e-9);
        EXPECT_EQ(fill.color, row.message ? OverlayColors::labelBackground : OverlayColors::kept);
    }
}

// Unselected guides, selected ones, gap labels, kept measurements, the live one, the loupe, the
// message, and last the editing banner, below the middle.
TEST(OverlayPainterTest, PaintsInLayerOrderEndingWithTheEditingBanner) {
    OverlayScene scene = sceneOf({1600, 900});
    scene.guides = {{Uuid::random(), Axis::vertical, 50, true},
                    {Uuid::random(), Axis::vertical, 60, false}};
    scene.gaps = {{Uuid::random(), Axis::vertical, 50, 60, 80, "GAP"}};
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
        first(FillRect{}, OverlayColors::guide),
        first(FillRect{}, OverlayColors::selectedGuide),
        *textIndex(list, "GAP"),
        first(StrokePath{}, OverlayColors::kept),
        first(StrokePath{}, OverlayColors::live),
        first(FillPathWithShadow{}, Color::white()),
        *textIndex(list, "MESSAGE"),
        list.ops.size() - 1,
    };
    EXPECT_TRUE(std::is_sorted(layers.begin(), layers.end()));
    EXPECT_EQ(std::set<std::size_t>(layers.begin(), layers.end()).size(), layers.size());
    // The kept cross's own labels come before the live cross.
    const std::string keptSize =
        MeasurementText::size(100, 100, DisplayScale(1), MeasureUnit::points, CopyStyle::plain);
    EXPECT_LT(*textIndex(list, keptSize), layers[4]);

    const std::string banner = "Editing guides: drag to move · Tab selects · arrows nudge · "
                               "Delete removes · V or H adds · Esc when done";
    ASSERT_EQ(texts(list).back(), banner);
    const Rect box = labelBox(list, banner);
    const DrawText& text = std::get<DrawText>(list.ops.back());
    EXPECT_NEAR(box.width, text.size.width + 24, 1e-9);
    EXPECT_NEAR(box.height, text.size.height + 10, 1e-9);
    EXPECT_NEAR(box.x + box.width / 2, 800, 1e-9);
    EXPECT_NEAR(box.y + box.height / 2, 844, 1e-9);
}

// --- Loupe ----------------------------------------------------------------------------------

/// The loupe's layout on a 1000 × 800 display, pointer at `pointer`.
DrawList loupeAt(Point pointer, PixelBuffer patch, std::optional<std::string> hint = {}) {
    OverlayScene scene = sceneOf({1000, 800});
    scene.pointer = pointer;
    scene.loupe = Loupe{std::move(patch), SRGBColor(0.2, 0.4, 0.6, 0.5)};
    scene.loupeHint = std::move(hint);
    return layoutOverlay(scene, measurer);
}

// A 15-pixel patch makes a 120-point loupe below right of the pointer, flipped where it would
// not fit; the magnified pixels fill the frame.
TEST(LoupeLayoutTest, FlipsNearTheEdges) {
    const struct {
        const char* name;
        Point pointer;
        Point origin;
    } rows[] = {
        {"room_exactly_on_the_right", {848, 100}, {872, 148}},
        {"flips_left_near_right_edge", {849, 100}, {705, 148}},
        {"room_exactly_below", {100, 592}, {124, 640}},
        {"flips_up_near_bottom_edge", {100, 593}, {124, 395}},
        {"flips_both_in_corner", {990, 790}, {846, 592}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const DrawList list = loupeAt(row.pointer, PixelBuffer(15, 15, RGBA::white));
        const Rect frame{row.origin.x, row.origin.y, 120, 120};
        const auto frames = opsOf<FillPathWithShadow>(list);
        ASSERT_EQ(frames.size(), 1U);
        EXPECT_EQ(frames[0].path.bounds(), frame);
        const auto cells = opsOf<FillPixels>(list);
        ASSERT_EQ(cells.size(), 1U);
        EXPECT_EQ(cells[0].rect, frame);
    }
}

TEST(LoupeLayoutTest, DrawsFrameCellsGridMarkerOutlineSwatchAndText) {
    PixelBuffer patch(3, 3, RGBA::white);
    patch(0, 0) = RGBA(255, 0, 0, 255);
    patch(2, 1) = RGBA(0, 0, 255, 51);
    const DrawList list = loupeAt({100, 100}, patch, "⌃⇧C copies");
    const double x = 124;
    const double y = 148;
    const Path frame = Path::roundedRect({x, y, 24, 24}, 10, true);
    const Path swatch = Path::roundedRect({x, y + 32, 18, 18}, 4, true);
    const std::vector<DrawOp> expected{
        FillPathWithShadow{frame, Color::white(), Color::black(0.35), 8, {0, 3}},
        PushClip{frame},
        FillPixels{{x, y, 24, 24}, patch}, // 8-point cells
        StrokePath{Path{}
                       .addLine({x + 8, y}, {x + 8, y + 24})
                       .addLine({x, y + 8}, {x + 24, y + 8})
                       .addLine({x + 16, y}, {x + 16, y + 24})
                       .addLine({x, y + 16}, {x + 24, y + 16}),
                   Color::black(0.12), 0.5},
        PopClip{},
        // Centre cell (1, 1), outside the clip so the rings are whole.
        StrokePath{Path::rect({x + 7, y + 7, 10, 10}), Color::white(), 2},
        StrokePath{Path::rect({x + 6, y + 6, 12, 12}), Color::black(0.7), 1},
        StrokePath{frame, Color::black(0.25), 1},
        FillPath{swatch, {0.2, 0.4, 0.6, 1}}, // the colour's alpha is not shown
        StrokePath{swatch, Color::white(), 1.5},
    };
    ASSERT_EQ(list.ops.size(), expected.size() + 2);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(list.ops[i], expected[i]) << "operation " << i;
    }
    const std::string text =
        ColorText::string(SRGBColor(0.2, 0.4, 0.6, 0.5), ColorStyle::hex) + "  ⌃⇧C copies";
    ASSERT_EQ(textIndex(list, text), list.ops.size() - 1);
    EXPECT_EQ(labelFill(list, text).color, OverlayColors::labelBackground);
    const Rect box = labelBox(list, text);
    EXPECT_NEAR(box.x, x + 24, 1e-9); // 6 points right of the swatch, centred on it
    EXPECT_NEAR(box.y + box.height / 2, y + 32 + 9, 1e-9);
}

// The frame is as tall as the patch is wide: a taller patch shows its top rows only.
TEST(LoupeLayoutTest, TallerPatchShowsItsTopSquare) {
    PixelBuffer patch(3, 5, RGBA::white);
    patch(1, 2) = RGBA(255, 0, 0, 255);
    patch(1, 3) = RGBA(0, 0, 255, 255);
    const auto cells = opsOf<FillPixels>(loupeAt({100, 100}, patch));
    ASSERT_EQ(cells.size(), 1U);
    EXPECT_EQ(cells[0].rect, (Rect{124, 148, 24, 24}));
    PixelBuffer top(3, 3, RGBA::white);
    top(1, 2) = RGBA(255, 0, 0, 255);
    EXPECT_EQ(cells[0].pixels, top);
}

TEST(LoupeLayoutTest, EmptyPatchDrawsNoLoupe) {
    EXPECT_TRUE(loupeAt({100, 100}, PixelBuffer{}, "⌃⇧C copies").ops.empty());
}

} // namespace
} // namespace spanlet::testing
