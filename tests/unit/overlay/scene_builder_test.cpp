#include <gtest/gtest.h>
#include <optional>
#include <string>

#include <spanlet/overlay/SceneBuilder.hpp>

namespace spanlet::testing {
namespace {

// Display A at the origin, display B to its right and 100 points lower, at scale 2.
const ScreenInfo displayA{1, {0, 0, 1000, 800}, {}, DisplayScale(1)};
const ScreenInfo displayB{2, {1000, 100, 800, 600}, {}, DisplayScale(2)};

Guide guide(Axis axis, double position) {
    return {Uuid::random(), axis, position};
}

/// The pointer at (100, 200) on A, nothing else going on.
SceneInput pointerOnA() {
    SceneInput in;
    in.pointer = {100, 200};
    in.pointerScreen = displayA.id;
    return in;
}

// Guides on B (both edges included) in local coordinates; a gap between two of them is
// labelled where it reaches into B.
TEST(SceneBuilderTest, GuidesAndGapsOnTheDisplayOnly) {
    const struct {
        const char* name;
        Axis axis;
        double from, to;           // global; `to` is the selected guide
        std::vector<double> shown; // local, `to` first
        bool labelled;
    } rows[] = {
        {"straddles_left_edge", Axis::vertical, 990, 1010, {10}, true},
        {"ends_exactly_at_left_edge", Axis::vertical, 950, 1000, {0}, false},
        {"ends_at_right_edge", Axis::vertical, 1799, 1800, {800, 799}, true},
        {"just_past_bottom_edge", Axis::horizontal, 690, 700.5, {590}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SceneInput in;
        in.guides.guides = {guide(row.axis, row.to), guide(row.axis, row.from)};
        in.selectedGuide = in.guides.guides[0].id;
        const OverlayScene scene = buildScene(displayB, in);
        std::vector<double> shown;
        for (const OverlayScene::Line& line : scene.guides) {
            shown.push_back(line.position);
            EXPECT_EQ(line.axis, row.axis);
            EXPECT_EQ(line.selected, line.id == in.guides.guides[0].id);
        }
        EXPECT_EQ(shown, row.shown);
        ASSERT_EQ(scene.gaps.size(), row.labelled ? 1U : 0U);
        if (row.labelled) {
            const double origin = row.axis == Axis::vertical ? 1000 : 100;
            EXPECT_DOUBLE_EQ(scene.gaps[0].from, row.from - origin);
            EXPECT_DOUBLE_EQ(scene.gaps[0].to, row.to - origin);
        }
    }
}

// Hidden guides hide their gap labels too, unless the editor shows them; while editing the gap
// labels sit beside the pointer on its display, else 80 points in, reading the display's unit.
TEST(SceneBuilderTest, GuidesShowWhenShownOrEditedAndGapLabelsFollowThePointer) {
    SceneInput in = pointerOnA();
    in.showGuides = false;
    in.guides.guides = {guide(Axis::vertical, 50), guide(Axis::vertical, 1500),
                        guide(Axis::horizontal, 10), guide(Axis::horizontal, 400)};
    EXPECT_TRUE(buildScene(displayA, in).guides.empty());
    EXPECT_TRUE(buildScene(displayA, in).gaps.empty());
    in.editingGuides = true;
    const OverlayScene onA = buildScene(displayA, in);
    ASSERT_EQ(onA.gaps.size(), 2U);
    EXPECT_DOUBLE_EQ(onA.gaps[0].across, 234); // vertical gap: below the pointer
    EXPECT_DOUBLE_EQ(onA.gaps[1].across, 134); // horizontal gap: right of the pointer
    in.unit = MeasureUnit::pixels;
    const OverlayScene onB = buildScene(displayB, in);
    ASSERT_EQ(onB.gaps.size(), 2U);
    EXPECT_DOUBLE_EQ(onB.gaps[0].across, 80);
    EXPECT_EQ(onB.gaps[1].text, "780 px"); // 390 points on a scale-2 display
    in.showGapLabels = false;
    EXPECT_TRUE(buildScene(displayA, in).gaps.empty());
}

// What needs the pointer's display: the pointer while snapping, editing or showing a toast;
// the loupe only while snapping with the loupe on; the message, a toast before a capture
// problem, which shows only while snapping; the editing banner. None of it is ever on B.
TEST(SceneBuilderTest, PointerLoupeAndMessageShowOnThePointersDisplayOnly) {
    const struct {
        const char* name;
        bool snapping, editing, showLoupe;
        std::optional<std::string> toast, problem;
        std::optional<std::uint32_t> pointerScreen;
        bool pointer, loupe;
        std::optional<std::string> message;
    } rows[] = {
        {"nothing_needs_the_pointer", false, false, true, {}, "No access", 1, false, false, {}},
        {"snapping_without_loupe", true, false, false, {}, {}, 1, true, false, {}},
        {"editing", false, true, true, {}, {}, 1, true, false, {}},
        {"toast_before_problem", true, false, true, "Copied", "No access", 1, true, true, "Copied"},
        {"problem_while_snapping", true, false, true, {}, "No access", 1, true, true, "No access"},
        {"pointer_on_no_display", true, true, true, "Copied", "No access", {}, false, false, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SceneInput in = pointerOnA();
        in.snapping = row.snapping;
        in.editingGuides = row.editing;
        in.showLoupe = row.showLoupe;
        in.toast = row.toast;
        in.captureProblem = row.problem;
        in.pointerScreen = row.pointerScreen;
        in.loupe = Loupe{PixelBuffer(3, 3, RGBA::white), SRGBColor(1, 1, 1, 1)};
        const OverlayScene a = buildScene(displayA, in);
        EXPECT_EQ(a.pointer, row.pointer ? std::optional(Point{100, 200}) : std::nullopt);
        EXPECT_EQ(a.loupe.has_value(), row.loupe);
        EXPECT_EQ(a.message, row.message);
        EXPECT_EQ(a.editing, row.editing && row.pointerScreen) << "the editing banner";
        EXPECT_EQ(*a.loupeHint, "Ctrl+Shift+C copies");
        const OverlayScene b = buildScene(displayB, in);
        EXPECT_FALSE(b.pointer || b.loupe || b.message || b.editing);
    }
    SceneInput unbound = pointerOnA();
    unbound.pickColorKeys = std::nullopt;
    EXPECT_FALSE(buildScene(displayA, unbound).loupeHint) << "no shortcut, no hint";
    // The colour sampler on the overlay: its loupe is the sampler, whatever the preference, and
    // a click picks, so no shortcut is offered.
    SceneInput picking = pointerOnA();
    picking.picking = true;
    picking.showLoupe = false;
    picking.loupe = Loupe{PixelBuffer(3, 3, RGBA::white), SRGBColor(1, 1, 1, 1)};
    const OverlayScene sampler = buildScene(displayA, picking);
    EXPECT_TRUE(sampler.pointer && sampler.loupe);
    EXPECT_FALSE(sampler.loupeHint);
}

// Kept and live measurements go to the display that holds their own pointer (half-open frame),
// moved to its local points with their pixels, scale and flags kept.
TEST(SceneBuilderTest, KeptAndLiveFollowTheirOwnPointer) {
    const auto crossAt = [](double x, double y) {
        return Cross{.pointerX = x,
                     .pointerY = y,
                     .minX = x - 10,
                     .maxX = x + 20,
                     .left = 20,
                     .scale = 2,
                     .openRight = true};
    };
    const Cross onRightEdgeOfA = crossAt(1000, 300); // B's
    const Cross onBottomEdgeOfA = crossAt(500, 800); // no display's
    const Cross corner = crossAt(0, 0);
    SceneInput in = pointerOnA();
    in.live = onRightEdgeOfA;
    in.pinned = {onBottomEdgeOfA, corner};
    const OverlayScene a = buildScene(displayA, in);
    EXPECT_EQ(a.pinned, std::vector{corner});
    EXPECT_EQ(a.live, std::nullopt);
    const OverlayScene b = buildScene(displayB, in);
    EXPECT_TRUE(b.pinned.empty());
    EXPECT_EQ(b.live, onRightEdgeOfA.offsetBy(-1000, -100));
}

} // namespace
} // namespace spanlet::testing
