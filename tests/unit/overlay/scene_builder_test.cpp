#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <string>

#include <spanlet/Commands.hpp>
#include <spanlet/overlay/SceneBuilder.hpp>

#include "OverlayTestSupport.hpp"

namespace spanlet::testing {
namespace {

// Display A at the origin, display B to its right and 100 points lower, at scale 2.
const ScreenInfo displayA{1, {0, 0, 1000, 800}, {}, DisplayScale(1)};
const ScreenInfo displayB{2, {1000, 100, 800, 600}, {}, DisplayScale(2)};

Guide guide(Axis axis, double position) {
    return {Uuid::random(), axis, position};
}

/// The pointer on A, nothing else going on.
SceneInput pointerOnA() {
    SceneInput in;
    in.pointer = {100, 200};
    in.pointerScreen = displayA.id;
    return in;
}

Cross crossAt(double x, double y) {
    Cross c;
    c.pointerX = x;
    c.pointerY = y;
    c.minX = x - 10;
    c.maxX = x + 20;
    c.minY = y - 30;
    c.maxY = y + 40;
    c.left = 20;
    c.right = 40;
    c.up = 60;
    c.down = 80;
    c.scale = 2;
    c.openRight = true;
    return c;
}

TEST(SceneBuilderTest, LoupeHintNamesThePickColorShortcut) {
    const OverlayScene scene = buildScene(displayB, SceneInput{});
    ASSERT_TRUE(scene.loupeHint.has_value());
    EXPECT_EQ(*scene.loupeHint, "⌃⇧C copies");
}

// Guide listing: both display edges are included, in local coordinates.
struct GuideCase {
    const char* name;
    Axis axis;
    double position; // global
    std::optional<double> local;
};
void PrintTo(const GuideCase& c, std::ostream* os) {
    *os << c.name;
}

class GuideListingTest : public ::testing::TestWithParam<GuideCase> {};

TEST_P(GuideListingTest, ListsGuidesOnTheDisplayOnly) {
    const GuideCase& c = GetParam();
    SceneInput in;
    in.guides.guides = {guide(c.axis, c.position)};
    const OverlayScene scene = buildScene(displayB, in);
    if (!c.local) {
        EXPECT_TRUE(scene.guides.empty());
        return;
    }
    ASSERT_EQ(scene.guides.size(), 1U);
    EXPECT_EQ(scene.guides[0].id, in.guides.guides[0].id);
    EXPECT_EQ(scene.guides[0].axis, c.axis);
    EXPECT_DOUBLE_EQ(scene.guides[0].position, *c.local);
    EXPECT_FALSE(scene.guides[0].selected);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, GuideListingTest,
    ::testing::Values(GuideCase{"vertical_at_left_edge", Axis::vertical, 1000, 0},
                      GuideCase{"vertical_at_right_edge", Axis::vertical, 1800, 800},
                      GuideCase{"vertical_just_past_right_edge", Axis::vertical, 1800.5, {}},

                      GuideCase{"horizontal_at_bottom_edge", Axis::horizontal, 700, 600},
                      GuideCase{"horizontal_just_past_bottom", Axis::horizontal, 700.5, {}},
                      GuideCase{"horizontal_above_top", Axis::horizontal, 50, {}}),
    CaseName{});

// Which switches show guides and gap labels.
struct VisibilityCase {
    const char* name;
    bool showGuides;
    bool editing;
    bool showGapLabels;
    std::size_t guides;
    std::size_t gaps;
};
void PrintTo(const VisibilityCase& c, std::ostream* os) {
    *os << c.name;
}

class GuideVisibilityTest : public ::testing::TestWithParam<VisibilityCase> {};

TEST_P(GuideVisibilityTest, FollowsPreferencesAndEditor) {
    const VisibilityCase& c = GetParam();
    SceneInput in = pointerOnA();
    in.showGuides = c.showGuides;
    in.editingGuides = c.editing;
    in.showGapLabels = c.showGapLabels;
    in.guides.guides = {guide(Axis::vertical, 100), guide(Axis::vertical, 300),
                        guide(Axis::horizontal, 50), guide(Axis::horizontal, 90)};
    const OverlayScene scene = buildScene(displayA, in);
    EXPECT_EQ(scene.guides.size(), c.guides);
    EXPECT_EQ(scene.gaps.size(), c.gaps);
}

INSTANTIATE_TEST_SUITE_P(
    Switches, GuideVisibilityTest,
    ::testing::Values(VisibilityCase{"hidden_guides_hide_gap_labels_too", false, false, true, 0, 0},
                      VisibilityCase{"editor_shows_hidden_guides_and_gaps", false, true, true, 4,
                                     2},
                      VisibilityCase{"editor_without_gap_labels", false, true, false, 4, 0},
                      VisibilityCase{"shown_guides_and_gaps", true, false, true, 4, 2}),
    CaseName{});

// Which gaps are labelled on display B (left edge at global x 1000, top at y 100).
struct GapCase {
    const char* name;
    Axis axis;
    double from; // global
    double to;
    bool labelled;
};
void PrintTo(const GapCase& c, std::ostream* os) {
    *os << c.name;
}

class GapLabellingTest : public ::testing::TestWithParam<GapCase> {};

TEST_P(GapLabellingTest, LabelsGapsReachingIntoTheDisplay) {
    const GapCase& c = GetParam();
    SceneInput in;
    in.guides.guides = {guide(c.axis, c.to), guide(c.axis, c.from)};
    const OverlayScene scene = buildScene(displayB, in);
    ASSERT_EQ(scene.gaps.size(), c.labelled ? 1U : 0U);
    if (c.labelled) {
        const double origin = c.axis == Axis::vertical ? 1000 : 100;
        EXPECT_EQ(scene.gaps[0].axis, c.axis);
        EXPECT_DOUBLE_EQ(scene.gaps[0].from, c.from - origin);
        EXPECT_DOUBLE_EQ(scene.gaps[0].to, c.to - origin);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Edges, GapLabellingTest,
    ::testing::Values(GapCase{"straddles_left_edge", Axis::vertical, 990, 1010, true},

                      GapCase{"ends_exactly_at_left_edge", Axis::vertical, 950, 1000, false},
                      GapCase{"starts_just_inside_right_edge", Axis::vertical, 1799, 1900, true},
                      GapCase{"straddles_top_edge", Axis::horizontal, 90, 110, true},

                      GapCase{"ends_exactly_at_top_edge", Axis::horizontal, 60, 100, false}),
    CaseName{});

TEST(SceneBuilderTest, GapLabelsFollowThePointerWhileEditingOnItsDisplayOnly) {
    SceneInput in = pointerOnA(); // (100, 200)
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

// When the pointer is part of the scene, and the loupe with it.
struct PointerCase {
    const char* name;
    bool snapping;
    bool editing;
    bool toast;
    bool showLoupe;
    std::optional<std::uint32_t> pointerScreen;
    bool pointerOnA;
    bool loupeOnA;
};
void PrintTo(const PointerCase& c, std::ostream* os) {
    *os << c.name;
}

class PointerPlacementTest : public ::testing::TestWithParam<PointerCase> {};

TEST_P(PointerPlacementTest, ShowsPointerAndLoupeOnlyWhenNeeded) {
    const PointerCase& c = GetParam();
    SceneInput in = pointerOnA();
    in.snapping = c.snapping;
    in.editingGuides = c.editing;
    if (c.toast) {
        in.toast = "Copied";
    }
    in.showLoupe = c.showLoupe;
    in.pointerScreen = c.pointerScreen;
    in.loupe = Loupe{PixelBuffer(3, 3, RGBA::white), SRGBColor(1, 1, 1, 1)};
    const OverlayScene scene = buildScene(displayA, in);
    EXPECT_EQ(scene.pointer.has_value(), c.pointerOnA);
    if (scene.pointer) {
        EXPECT_EQ(*scene.pointer, (Point{100, 200}));
    }
    EXPECT_EQ(scene.loupe.has_value(), c.loupeOnA);
    // Never on the other display.
    const OverlayScene other = buildScene(displayB, in);
    EXPECT_FALSE(other.pointer.has_value());
    EXPECT_FALSE(other.loupe.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Conditions, PointerPlacementTest,
    ::testing::Values(
        PointerCase{"nothing_needs_the_pointer", false, false, false, true, 1, false, false},
        PointerCase{"snapping_shows_pointer_and_loupe", true, false, false, true, 1, true, true},
        PointerCase{"snapping_without_loupe_preference", true, false, false, false, 1, true, false},
        PointerCase{"editor_shows_pointer_not_loupe", false, true, false, true, 1, true, false},
        PointerCase{"toast_shows_pointer_not_loupe", false, false, true, true, 1, true, false},

        PointerCase{"pointer_on_no_known_display", true, true, true, true, std::nullopt, false,
                    false}),
    CaseName{});

// Which message shows, and where.
struct MessageCase {
    const char* name;
    std::optional<std::string> toast;
    std::optional<std::string> problem;
    bool snapping;
    std::optional<std::uint32_t> pointerScreen;
    std::optional<std::string> onA;
};
void PrintTo(const MessageCase& c, std::ostream* os) {
    *os << c.name;
}

class MessageTest : public ::testing::TestWithParam<MessageCase> {};

TEST_P(MessageTest, ShowsOnThePointersDisplayOnly) {
    const MessageCase& c = GetParam();
    SceneInput in = pointerOnA();
    in.toast = c.toast;
    in.captureProblem = c.problem;
    in.snapping = c.snapping;
    in.pointerScreen = c.pointerScreen;
    EXPECT_EQ(buildScene(displayA, in).message, c.onA);
    EXPECT_EQ(buildScene(displayB, in).message, std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, MessageTest,
    ::testing::Values(
        MessageCase{"toast_on_pointer_display", "Points", {}, false, 1, "Points"},
        MessageCase{"toast_wins_over_capture_problem", "Points", "No access", true, 1, "Points"},
        MessageCase{"capture_problem_while_snapping", {}, "No access", true, 1, "No access"},
        MessageCase{"capture_problem_hidden_without_snapping", {}, "No access", false, 1, {}},

        MessageCase{"pointer_on_no_known_display", "Points", "No access", true, std::nullopt, {}}),
    CaseName{});

// Kept and live measurements go to the display that holds their pointer (half-open frame).
struct MeasurementCase {
    const char* name;
    Point pointer; // global
    bool onA;
    bool onB;
};
void PrintTo(const MeasurementCase& c, std::ostream* os) {
    *os << c.name;
}

class MeasurementPlacementTest : public ::testing::TestWithParam<MeasurementCase> {};

TEST_P(MeasurementPlacementTest, KeptAndLiveFollowTheirOwnPointer) {
    const MeasurementCase& c = GetParam();
    SceneInput in = pointerOnA(); // pointerScreen does not place measurements
    in.live = crossAt(c.pointer.x, c.pointer.y);
    in.pinned = {crossAt(c.pointer.x, c.pointer.y)};
    const OverlayScene a = buildScene(displayA, in);
    const OverlayScene b = buildScene(displayB, in);
    EXPECT_EQ(a.pinned.size(), c.onA ? 1U : 0U);
    EXPECT_EQ(a.live.has_value(), c.onA);
    EXPECT_EQ(b.pinned.size(), c.onB ? 1U : 0U);
    EXPECT_EQ(b.live.has_value(), c.onB);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, MeasurementPlacementTest,
    ::testing::Values(MeasurementCase{"on_a_top_left_corner", {0, 0}, true, false},
                      MeasurementCase{"on_a_right_edge_belongs_to_b", {1000, 300}, false, true},
                      MeasurementCase{"on_a_bottom_edge", {500, 800}, false, false},

                      MeasurementCase{"on_no_display", {-5, -5}, false, false}),
    CaseName{});

TEST(SceneBuilderTest, MovesMeasurementsToLocalPointsKeepingPixelsAndFlags) {
    SceneInput in;
    const Cross global = crossAt(1300, 400);
    in.pinned = {crossAt(1100, 200), global};
    const OverlayScene scene = buildScene(displayB, in);
    ASSERT_EQ(scene.pinned.size(), 2U);
    Cross expected = global; // pixels, scale and flags as they were
    expected.pointerX = 300;
    expected.pointerY = 300;
    expected.minX = 290;
    expected.maxX = 320;
    expected.minY = 270;
    expected.maxY = 340;
    EXPECT_EQ(scene.pinned[1], expected);
    EXPECT_DOUBLE_EQ(scene.pinned[0].pointerX, 100); // model order kept
}

} // namespace
} // namespace spanlet::testing
