#include <gtest/gtest.h>
#include <optional>
#include <string>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/overlay/SceneBuilder.hpp>

#include "fakes/FakePlatform.hpp"

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

// Guides on B with both display edges included, in local coordinates.
TEST(SceneBuilderTest, ListsGuidesOnTheDisplayOnly) {
    const struct {
        const char* name;
        Axis axis;
        double position; // global
        std::optional<double> local;
    } rows[] = {
        {"vertical_at_left_edge", Axis::vertical, 1000, 0},
        {"vertical_at_right_edge", Axis::vertical, 1800, 800},
        {"vertical_just_past_right_edge", Axis::vertical, 1800.5, {}},
        {"horizontal_at_bottom_edge", Axis::horizontal, 700, 600},
        {"horizontal_just_past_bottom", Axis::horizontal, 700.5, {}},
        {"horizontal_above_top", Axis::horizontal, 50, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SceneInput in;
        in.guides.guides = {guide(row.axis, row.position)};
        in.selectedGuide = in.guides.guides[0].id;
        const OverlayScene scene = buildScene(displayB, in);
        ASSERT_EQ(scene.guides.size(), row.local ? 1U : 0U);
        if (row.local) {
            EXPECT_EQ(scene.guides[0],
                      (OverlayScene::Line{in.guides.guides[0].id, row.axis, *row.local, true}));
        }
    }
}

// Which switches show guides and gap labels.
TEST(SceneBuilderTest, GuidesAndGapsFollowPreferencesAndEditor) {
    const struct {
        const char* name;
        bool showGuides, editing, showGapLabels;
        std::size_t guides, gaps;
    } rows[] = {
        {"hidden_guides_hide_gap_labels_too", false, false, true, 0, 0},
        {"editor_shows_hidden_guides_and_gaps", false, true, true, 4, 2},
        {"editor_without_gap_labels", false, true, false, 4, 0},
        {"shown_guides_and_gaps", true, false, true, 4, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SceneInput in = pointerOnA();
        in.showGuides = row.showGuides;
        in.editingGuides = row.editing;
        in.showGapLabels = row.showGapLabels;
        in.guides.guides = {guide(Axis::vertical, 100), guide(Axis::vertical, 300),
                            guide(Axis::horizontal, 50), guide(Axis::horizontal, 90)};
        const OverlayScene scene = buildScene(displayA, in);
        EXPECT_EQ(scene.guides.size(), row.guides);
        EXPECT_EQ(scene.gaps.size(), row.gaps);
    }
}

// Gaps labelled on B (left edge at global x 1000, top at y 100): those reaching into it.
TEST(SceneBuilderTest, LabelsGapsReachingIntoTheDisplay) {
    const struct {
        const char* name;
        Axis axis;
        double from, to; // global
        bool labelled;
    } rows[] = {
        {"straddles_left_edge", Axis::vertical, 990, 1010, true},
        {"ends_exactly_at_left_edge", Axis::vertical, 950, 1000, false},
        {"starts_just_inside_right_edge", Axis::vertical, 1799, 1900, true},
        {"straddles_top_edge", Axis::horizontal, 90, 110, true},
        {"ends_exactly_at_top_edge", Axis::horizontal, 60, 100, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SceneInput in;
        in.guides.guides = {guide(row.axis, row.to), guide(row.axis, row.from)};
        const OverlayScene scene = buildScene(displayB, in);
        ASSERT_EQ(scene.gaps.size(), row.labelled ? 1U : 0U);
        if (row.labelled) {
            const double origin = row.axis == Axis::vertical ? 1000 : 100;
            EXPECT_EQ(scene.gaps[0].axis, row.axis);
            EXPECT_DOUBLE_EQ(scene.gaps[0].from, row.from - origin);
            EXPECT_DOUBLE_EQ(scene.gaps[0].to, row.to - origin);
        }
    }
}

TEST(SceneBuilderTest, GapLabelsFollowThePointerWhileEditingOnItsDisplayOnly) {
    SceneInput in = pointerOnA();
    in.editingGuides = true;
    in.guides.guides = {guide(Axis::vertical, 50), guide(Axis::vertical, 1500),
                        guide(Axis::horizontal, 10), guide(Axis::horizontal, 400)};
    const OverlayScene onA = buildScene(displayA, in);
    ASSERT_EQ(onA.gaps.size(), 2U);
    EXPECT_DOUBLE_EQ(onA.gaps[0].across, 234); // vertical gap: below the pointer
    EXPECT_DOUBLE_EQ(onA.gaps[1].across, 134); // horizontal gap: right of the pointer
    const OverlayScene onB = buildScene(displayB, in);
    ASSERT_EQ(onB.gaps.size(), 2U);
    EXPECT_DOUBLE_EQ(onB.gaps[0].across, 80);
    EXPECT_DOUBLE_EQ(onB.gaps[1].across, 80);

    in.editingGuides = false; // pointer shown for snapping, but not editing
    in.snapping = true;
    const OverlayScene snapping = buildScene(displayA, in);
    ASSERT_EQ(snapping.gaps.size(), 2U);
    EXPECT_DOUBLE_EQ(snapping.gaps[0].across, 80);
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
        {"snapping", true, false, true, {}, {}, 1, true, true, {}},
        {"snapping_without_loupe", true, false, false, {}, {}, 1, true, false, {}},
        {"editing", false, true, true, {}, {}, 1, true, false, {}},
        {"toast", false, false, true, "Copied", {}, 1, true, false, "Copied"},
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
        EXPECT_EQ(*a.loupeHint, "⌃⇧C copies");
        const OverlayScene b = buildScene(displayB, in);
        EXPECT_EQ(b.pointer, std::nullopt);
        EXPECT_EQ(b.loupe, std::nullopt);
        EXPECT_EQ(b.message, std::nullopt);
        EXPECT_FALSE(b.editing);
    }
}

// Kept and live measurements go to the display that holds their own pointer (half-open frame),
// whatever display the current pointer is on, moved to its local points with their pixels,
// scale and flags kept.
TEST(SceneBuilderTest, KeptAndLiveFollowTheirOwnPointer) {
    const struct {
        const char* name;
        Point pointer; // global
        bool onA, onB;
    } rows[] = {
        {"on_a_top_left_corner", {0, 0}, true, false},
        {"on_a_right_edge_belongs_to_b", {1000, 300}, false, true},
        {"on_a_bottom_edge", {500, 800}, false, false},
        {"inside_b", {1300, 400}, false, true},
        {"on_no_display", {-5, -5}, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const double x = row.pointer.x;
        const double y = row.pointer.y;
        const Cross cross{.pointerX = x,
                          .pointerY = y,
                          .minX = x - 10,
                          .maxX = x + 20,
                          .left = 20,
                          .scale = 2,
                          .openRight = true};
        SceneInput in = pointerOnA();
        in.live = cross;
        in.pinned = {cross};
        const OverlayScene a = buildScene(displayA, in);
        const OverlayScene b = buildScene(displayB, in);
        EXPECT_EQ(a.pinned, row.onA ? std::vector{cross} : std::vector<Cross>{});
        EXPECT_EQ(a.live, row.onA ? std::optional(cross) : std::nullopt);
        const Cross onB = cross.offsetBy(-1000, -100);
        EXPECT_EQ(b.pinned, row.onB ? std::vector{onB} : std::vector<Cross>{});
        EXPECT_EQ(b.live, row.onB ? std::optional(onB) : std::nullopt);
    }
}

// Scenes straight from a model on fake ports: two displays side by side.
TEST(SceneBuilderTest, ReadsTheModelsPreferencesPointerAndToast) {
    fakes::FakePlatform platform;
    platform.displays.screens = {fakes::makeScreen(1, {0, 0, 1000, 800}, 1, 800),
                                 fakes::makeScreen(2, {1000, 0, 800, 600}, 2, 800)};
    platform.displays.pointer = {1200, 300};
    Preferences prefs;
    prefs.welcomed = true;
    prefs.unit = MeasureUnit::pixels;
    prefs.guides.guides = {guide(Axis::vertical, 1100), guide(Axis::vertical, 1150)};
    Mensor model(platform.ports(), prefs);
    model.start();
    model.show("Hello");

    const std::optional<OverlayScene> scene = sceneForScreen(2, model);
    ASSERT_TRUE(scene.has_value());
    EXPECT_EQ(scene->size, (Size{800, 600}));
    EXPECT_EQ(scene->unit, MeasureUnit::pixels);
    EXPECT_EQ(scene->message, "Hello");
    EXPECT_EQ(scene->pointer, (Point{200, 300}));
    EXPECT_EQ(scene->guides.size(), 2U);
    ASSERT_EQ(scene->gaps.size(), 1U);
    EXPECT_EQ(scene->gaps[0].text, "100 px"); // 50 points on a scale-2 display
    const std::optional<OverlayScene> other = sceneForScreen(1, model);
    ASSERT_TRUE(other.has_value());
    EXPECT_FALSE(other->message.has_value());
    EXPECT_TRUE(other->guides.empty());
    EXPECT_FALSE(sceneForScreen(3, model).has_value()) << "a display that is gone";
}

} // namespace
} // namespace spanlet::testing
