#include <algorithm>
#include <gtest/gtest.h>
#include <limits>
#include <ostream>
#include <set>

#include <spanlet/MeasurementText.hpp>
#include <spanlet/overlay/FakeTextMeasurer.hpp>
#include <spanlet/overlay/OverlayColors.hpp>
#include <spanlet/overlay/OverlayPainter.hpp>

#include "OverlayTestSupport.hpp"

namespace spanlet::testing {
namespace {

using namespace draw;

const FakeTextMeasurer measurer;

OverlayScene sceneOf(Size size, double scale = 1) {
    OverlayScene scene;
    scene.size = size;
    scene.scale = DisplayScale(scale);
    return scene;
}

/// A closed cross around (x, y) reaching `h` left and right and `v` up and down, measured at
/// scale 1 (one pixel per point), so each distance is its span.
Cross crossAround(double x, double y, double h, double v) {
    Cross c;
    c.pointerX = x;
    c.pointerY = y;
    c.minX = x - h;
    c.maxX = x + h;
    c.minY = y - v;
    c.maxY = y + v;
    c.left = c.right = static_cast<std::int64_t>(h);
    c.up = c.down = static_cast<std::int64_t>(v);
    return c;
}

// Guide thickness: one device pixel, at least half a point; selected guides two pixels.
struct ThicknessCase {
    const char* name;
    double scale;
    bool selected;
    double thickness;
};
void PrintTo(const ThicknessCase& c, std::ostream* os) {
    *os << c.name;
}

class GuideThicknessTest : public ::testing::TestWithParam<ThicknessCase> {};

TEST_P(GuideThicknessTest, FollowsTheDisplayScale) {
    const ThicknessCase& c = GetParam();
    OverlayScene scene = sceneOf({1000, 800}, c.scale);
    scene.guides = {{Uuid::random(), Axis::vertical, 100, c.selected},
                    {Uuid::random(), Axis::horizontal, 200, c.selected}};
    const auto fills = opsOf<FillRect>(layoutOverlay(scene, measurer));
    ASSERT_EQ(fills.size(), 2U);
    const Color colour = c.selected ? OverlayColors::selectedGuide : OverlayColors::guide;
    EXPECT_EQ(fills[0], (FillRect{{100, 0, c.thickness, 800}, colour}));
    EXPECT_EQ(fills[1], (FillRect{{0, 200, 1000, c.thickness}, colour}));
}

INSTANTIATE_TEST_SUITE_P(
    Scales, GuideThicknessTest,
    ::testing::Values(ThicknessCase{"scale_1_selected", 1, true, 2},
                      ThicknessCase{"scale_2", 2, false, 0.5},
                      ThicknessCase{"scale_3_stays_half_a_point", 3, false, 0.5},
                      ThicknessCase{"scale_3_selected_has_no_minimum", 3, true, 2.0 / 3}),
    CaseName{});

TEST(OverlayPainterTest, GapLabelsDrawLineTicksAndBox) {
    OverlayScene scene = sceneOf({1000, 800});
    scene.gaps = {{Uuid::random(), Axis::vertical, 100, 300, 80, "200 pt"},
                  {Uuid::random(), Axis::horizontal, 100, 300, 80, "200 px"}};
    const DrawList list = layoutOverlay(scene, measurer);
    const auto strokes = opsOf<StrokePath>(list);
    ASSERT_EQ(strokes.size(), 2U);
    EXPECT_EQ(strokes[0], (StrokePath{Path{}
                                          .addLine({100, 80}, {300, 80})
                                          .addLine({100, 75}, {100, 85})
                                          .addLine({300, 75}, {300, 85}),
                                      OverlayColors::guide, 1}));
    EXPECT_EQ(strokes[1], (StrokePath{Path{}
                                          .addLine({80, 100}, {80, 300})
                                          .addLine({75, 100}, {85, 100})
                                          .addLine({75, 300}, {85, 300}),
                                      OverlayColors::guide, 1}));
    // "200 pt" at size 11 measures 39.6 × 13.2; boxes are 51.6 × 18.2.
    const auto vertical = labelBox(list, "200 pt");
    ASSERT_TRUE(vertical.has_value());
    EXPECT_NEAR(vertical->x + vertical->width / 2, 200, 1e-9); // centred above the line
    EXPECT_NEAR(vertical->y + vertical->height / 2, 68, 1e-9);
    const auto horizontal = labelBox(list, "200 px");
    ASSERT_TRUE(horizontal.has_value());
    EXPECT_NEAR(horizontal->x, 86, 1e-9); // leading, right of the line
    EXPECT_NEAR(horizontal->y + horizontal->height / 2, 200, 1e-9);
    EXPECT_EQ(std::get<FillPath>(list.ops[*textIndex(list, "200 px") - 1]).color,
              OverlayColors::guide);
}

// End caps only on closed ends.
struct CapCase {
    const char* name;
    bool openLeft, openRight, openUp, openDown;
    std::size_t caps;
};
void PrintTo(const CapCase& c, std::ostream* os) {
    *os << c.name;
}

class CrossCapTest : public ::testing::TestWithParam<CapCase> {};

TEST_P(CrossCapTest, CapsClosedEndsOnly) {
    const CapCase& c = GetParam();
    OverlayScene scene = sceneOf({1000, 800});
    Cross cross = crossAround(500, 400, 100, 50);
    cross.openLeft = c.openLeft;
    cross.openRight = c.openRight;
    cross.openUp = c.openUp;
    cross.openDown = c.openDown;
    scene.live = cross;
    const auto strokes = opsOf<StrokePath>(layoutOverlay(scene, measurer));
    ASSERT_EQ(strokes.size(), 1U);
    const Path& path = strokes[0].path;
    EXPECT_EQ(strokes[0].color, OverlayColors::live);
    EXPECT_EQ(strokes[0].lineWidth, 1);
    ASSERT_EQ(path.elements.size(), 2 * (2 + c.caps));
    const auto has = [&](Point from, Point to) {
        for (std::size_t i = 0; i + 1 < path.elements.size(); i += 2) {
            if (path.elements[i] == PathElement{MoveTo{from}} &&
                path.elements[i + 1] == PathElement{LineTo{to}}) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(has({400, 400}, {600, 400}));
    EXPECT_TRUE(has({500, 350}, {500, 450}));
    EXPECT_EQ(has({400, 394}, {400, 406}), !c.openLeft);
    EXPECT_EQ(has({600, 394}, {600, 406}), !c.openRight);
    EXPECT_EQ(has({494, 350}, {506, 350}), !c.openUp);
    EXPECT_EQ(has({494, 450}, {506, 450}), !c.openDown);
}

INSTANTIATE_TEST_SUITE_P(Ends, CrossCapTest,
                         ::testing::Values(CapCase{"all_closed", false, false, false, false, 4},
                                           CapCase{"open_left", true, false, false, false, 3},

                                           CapCase{"all_open", true, true, true, true, 0}),
                         CaseName{});

// Distance labels of the live cross appear only when their span has room (strictly more).
struct DistanceCase {
    const char* name;
    double h; // span left and right of the pointer
    double v; // span up and down
    bool horizontalLabels;
    bool verticalLabels;
};
void PrintTo(const DistanceCase& c, std::ostream* os) {
    *os << c.name;
}

class DistanceLabelTest : public ::testing::TestWithParam<DistanceCase> {};

TEST_P(DistanceLabelTest, ShowOnlyPastTheirThresholds) {
    const DistanceCase& c = GetParam();
    OverlayScene scene = sceneOf({1000, 800});
    Cross cross = crossAround(500, 400, c.h, c.v);
    cross.left = 11; // distinct texts per side
    cross.right = 22;
    cross.up = 33;
    cross.down = 44;
    scene.live = cross;
    const DrawList list = layoutOverlay(scene, measurer);
    EXPECT_EQ(textIndex(list, "11").has_value(), c.horizontalLabels);
    EXPECT_EQ(textIndex(list, "22").has_value(), c.horizontalLabels);
    EXPECT_EQ(textIndex(list, "33").has_value(), c.verticalLabels);
    EXPECT_EQ(textIndex(list, "44").has_value(), c.verticalLabels);
}

INSTANTIATE_TEST_SUITE_P(
    Thresholds, DistanceLabelTest,
    ::testing::Values(DistanceCase{"forty_each_side_shows_only_vertical", 40, 40, false, true},
                      DistanceCase{"exactly_at_thresholds_shows_none", 44, 34, false, false},
                      DistanceCase{"just_past_thresholds_shows_all", 44.5, 34.5, true, true},
                      DistanceCase{"wide_but_flat", 300, 20, true, false}),
    CaseName{});

// The size label hangs below right of the pointer and flips near the right and bottom edges.
struct SizeFlipCase {
    const char* name;
    Point pointer;
    bool left;
    bool above;
};
void PrintTo(const SizeFlipCase& c, std::ostream* os) {
    *os << c.name;
}

class SizeLabelFlipTest : public ::testing::TestWithParam<SizeFlipCase> {};

TEST_P(SizeLabelFlipTest, FlipsNearTheEdges) {
    const SizeFlipCase& c = GetParam();
    OverlayScene scene = sceneOf({1000, 800});
    scene.pinned = {crossAround(c.pointer.x, c.pointer.y, 5, 5)};
    const DrawList list = layoutOverlay(scene, measurer);
    const auto box = labelBox(list, texts(list).at(0));
    ASSERT_TRUE(box.has_value());
    if (c.left) {
        EXPECT_NEAR(box->maxX(), c.pointer.x - 12, 1e-9);
    } else {
        EXPECT_NEAR(box->minX(), c.pointer.x + 12, 1e-9);
    }
    if (c.above) {
        EXPECT_NEAR(box->maxY(), c.pointer.y - 16, 1e-9);
    } else { // below, though kept 4 points above the bottom edge
        EXPECT_NEAR(box->minY(), std::min(c.pointer.y + 16, 800 - box->height - 4), 1e-9);
        EXPECT_GT(box->minY(), c.pointer.y);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Edges, SizeLabelFlipTest,
    ::testing::Values(SizeFlipCase{"exactly_150_from_right", {850, 400}, false, false},
                      SizeFlipCase{"within_150_of_right", {851, 400}, true, false},
                      SizeFlipCase{"exactly_40_from_bottom", {500, 760}, false, false},
                      SizeFlipCase{"within_40_of_bottom", {500, 761}, false, true}),
    CaseName{});

TEST(OverlayPainterTest, LabelsStayFourPointsInsideAtEveryPointerPosition) {
    const Size size{640, 480};
    for (double x : {0.0, 1.0, 30.0, 320.0, 600.0, 639.0}) {
        for (double y : {0.0, 2.0, 20.0, 240.0, 470.0, 479.0}) {
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
                const Rect box = *std::get<FillPath>(list.ops[i - 1]).path.bounds();
                SCOPED_TRACE(text->text);
                EXPECT_GE(box.minX(), 4 - 1e-9) << x << "," << y;
                EXPECT_GE(box.minY(), 4 - 1e-9) << x << "," << y;
                EXPECT_LE(box.maxX(), size.width - 4 + 1e-9) << x << "," << y;
                EXPECT_LE(box.maxY(), size.height - 4 + 1e-9) << x << "," << y;
            }
        }
    }
}

// The message hangs above right of the pointer, flipped left near the right edge.
struct MessageCase {
    const char* name;
    std::optional<Point> pointer;
    Point anchor;
    Point unit;
};
void PrintTo(const MessageCase& c, std::ostream* os) {
    *os << c.name;
}

class MessagePlacementTest : public ::testing::TestWithParam<MessageCase> {};

TEST_P(MessagePlacementTest, PlacesTheMessage) {
    const MessageCase& c = GetParam();
    OverlayScene scene = sceneOf({1000, 800});
    scene.pointer = c.pointer;
    scene.message = "Points";
    const DrawList list = layoutOverlay(scene, measurer);
    const auto box = labelBox(list, "Points");
    ASSERT_TRUE(box.has_value());
    EXPECT_NEAR(box->x + c.unit.x * box->width, c.anchor.x, 1e-9);
    EXPECT_NEAR(box->y + c.unit.y * box->height, c.anchor.y, 1e-9);
    EXPECT_EQ(std::get<FillPath>(list.ops[*textIndex(list, "Points") - 1]).color,
              OverlayColors::labelBackground);
}

INSTANTIATE_TEST_SUITE_P(
    Placement, MessagePlacementTest,
    ::testing::Values(

        MessageCase{"exactly_260_from_right", Point{740, 300}, {756, 274}, UnitPoint::leading},
        MessageCase{"within_260_of_right", Point{741, 300}, {725, 274}, UnitPoint::trailing},
        MessageCase{"no_pointer_centred_near_top", std::nullopt, {500, 60}, UnitPoint::center}),
    CaseName{});

TEST(OverlayPainterTest, EditingBannerComesLastBelowTheMiddle) {
    OverlayScene scene = sceneOf({1600, 900});
    scene.message = "Guide removed";
    scene.editing = true;
    const DrawList list = layoutOverlay(scene, measurer);
    const std::string banner = "Editing guides: drag to move · Tab selects · arrows nudge · "
                               "Delete removes · V or H adds · Esc when done";
    EXPECT_EQ(texts(list), (std::vector<std::string>{"Guide removed", banner}));
    ASSERT_EQ(textIndex(list, banner), list.ops.size() - 1);
    const Rect box = *labelBox(list, banner);
    const DrawText& text = std::get<DrawText>(list.ops.back());
    EXPECT_NEAR(box.width, text.size.width + 24, 1e-9);
    EXPECT_NEAR(box.height, text.size.height + 10, 1e-9);
    EXPECT_NEAR(box.x + box.width / 2, 800, 1e-9);
    EXPECT_NEAR(box.y + box.height / 2, 844, 1e-9);
}

TEST(OverlayPainterTest, PaintsInLayerOrder) {
    OverlayScene scene = sceneOf({1000, 800});
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

    // Index of the first operation matching each layer, in the order they must appear.
    const auto first = [&](auto&& matches) {
        for (std::size_t i = 0; i < list.ops.size(); ++i) {
            if (matches(list.ops[i])) {
                return i;
            }
        }
        ADD_FAILURE() << "layer missing";
        return list.ops.size();
    };
    const auto fillRectOf = [](Color c) {
        return [c](const DrawOp& op) {
            const auto* f = std::get_if<FillRect>(&op);
            return f != nullptr && f->color == c;
        };
    };
    const auto strokeOf = [](Color c) {
        return [c](const DrawOp& op) {
            const auto* s = std::get_if<StrokePath>(&op);
            return s != nullptr && s->color == c;
        };
    };
    const std::vector<std::size_t> layers{
        first(fillRectOf(OverlayColors::guide)),
        first(fillRectOf(OverlayColors::selectedGuide)),
        *textIndex(list, "GAP"),
        first(strokeOf(OverlayColors::kept)),
        first(strokeOf(OverlayColors::live)),
        first([](const DrawOp& op) { return std::holds_alternative<FillPathWithShadow>(op); }),
        *textIndex(list, "MESSAGE"),
        *textIndex(list, OverlayPainter::editingBannerText),
    };
    EXPECT_TRUE(std::is_sorted(layers.begin(), layers.end()));
    EXPECT_EQ(std::set<std::size_t>(layers.begin(), layers.end()).size(), layers.size());
    // The kept cross's own labels come before the live cross.
    const std::string keptSize =
        MeasurementText::size(100, 100, DisplayScale(1), MeasureUnit::points, CopyStyle::plain);
    EXPECT_LT(*textIndex(list, keptSize), layers[4]);
}

} // namespace
} // namespace spanlet::testing
