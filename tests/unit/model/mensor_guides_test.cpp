#include <limits>

#include "ModelFixture.hpp"

namespace spanlet::testing {
namespace {

// Two displays: scale 1 at (0, 0), scale 2 at (1000, 0). A black box at global
// (1200, 120)–(1260, 160) on the second one.
class GuidesTest : public ModelTest {
protected:
    void SetUp() override {
        addDisplay(1, {0, 0, 1000, 800}, 1);
        addDisplay(2, {1000, 0, 1000, 800}, 2, boxScene({200, 120, 60, 40}, 2));
        pointAt({1100.3, 50});
    }
    /// Snapping on with the box measured, pointer inside it.
    Mensor& measuring() {
        pointAt({1230, 140});
        Mensor& m = started();
        m.enableSnapping();
        advance(0ms);
        return m;
    }
    [[nodiscard]] const Guide& guide(std::size_t i) const {
        return model->prefs()->guides.guides.at(i);
    }
};

TEST_F(GuidesTest, AddAtThePointerRoundsToTheDisplaysPixelsAndSaysWhere) {
    Mensor& m = started();
    m.addGuide(Axis::vertical);
    EXPECT_DOUBLE_EQ(guide(0).position, 1100.5);
    EXPECT_EQ(toastText(), "Vertical guide at 100.5 pt");
    EXPECT_EQ(platform.saved()->guides, m.prefs()->guides);
    m.toggleUnit();
    m.addGuide(Axis::horizontal, Point{1500, 33.3});
    EXPECT_DOUBLE_EQ(guide(1).position, 33.5);
    EXPECT_EQ(toastText(), "Horizontal guide at 67 px");
}

TEST_F(GuidesTest, AddingShowsHiddenGuides) {
    Preferences p = welcomedPrefs();
    p.showGuides = false;
    Mensor& m = started(p);
    m.addGuide(Axis::horizontal);
    EXPECT_TRUE(m.prefs()->showGuides);
    EXPECT_TRUE(platform.saved()->showGuides);
}

TEST_F(GuidesTest, WithoutDisplaysUsesTheStandardScaleAndPlainNumbers) {
    platform.displays.screens.clear();
    Mensor& m = started();
    m.addGuide(Axis::vertical, Point{12.345, 0});
    EXPECT_DOUBLE_EQ(guide(0).position, 12);
    EXPECT_EQ(toastText(), "Vertical guide at 12");
}

struct SnapCase {
    const char* name;
    double pointerX; // where the vertical guide is added; the live edges are 1200 and 1260
    bool snapping;
    double stored;
};

class AddSnapTest : public GuidesTest, public ::testing::WithParamInterface<SnapCase> {};

TEST_P(AddSnapTest, SnapsToLiveEdgesWithinEightPoints) {
    Mensor& m = measuring();
    ASSERT_TRUE(m.live()->has_value());
    if (!GetParam().snapping) {
        m.disableSnapping();
    }
    pointAt({GetParam().pointerX, 140});
    m.addGuide(Axis::vertical);
    EXPECT_DOUBLE_EQ(guide(0).position, GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Radius, AddSnapTest,
                         ::testing::Values(SnapCase{"on_radius", 1208, true, 1200},
                                           SnapCase{"beyond_radius", 1208.5, true, 1208.5},
                                           SnapCase{"right_edge", 1253, true, 1260},
                                           SnapCase{"snapping_off", 1203, false, 1203}),
                         [](const auto& row) { return std::string(row.param.name); });

struct DragCase {
    const char* name;
    double to;
    double stored;
};

class DragSnapTest : public GuidesTest, public ::testing::WithParamInterface<DragCase> {};

// Another vertical guide at 1100 and live edges at 1200 and 1260.
TEST_P(DragSnapTest, SnapsToOtherGuidesAndLiveEdgesWithinFourPoints) {
    Mensor& m = measuring();
    m.addGuide(Axis::vertical, Point{1100, 0});
    m.addGuide(Axis::horizontal, Point{0, 1150}); // other axis: never a candidate
    m.addGuide(Axis::vertical, Point{1500, 0});
    const Uuid dragged = guide(2).id;
    m.moveGuide(dragged, GetParam().to);
    EXPECT_DOUBLE_EQ(guide(2).position, GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Radius, DragSnapTest,
                         ::testing::Values(DragCase{"guide_on_radius", 1104, 1100},
                                           DragCase{"beyond_radius", 1104.3, 1104.5},
                                           DragCase{"to_live_edge", 1196.2, 1200},
                                           DragCase{"not_to_other_axis", 1151, 1151},
                                           DragCase{"rounded_on_scale1_display", 500.3, 500}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(GuidesTest, MovingAnUnknownGuideDoesNothing) {
    Mensor& m = started();
    m.addGuide(Axis::vertical);
    const int saves = platform.saves();
    m.moveGuide(Uuid::random(), 5);
    m.moveGuide(guide(0).id, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(platform.saves(), saves);
}

TEST_F(GuidesTest, EditorSelectionIsClearedOnStartAndFinish) {
    Mensor& m = started(welcomedPrefs());
    m.addGuide(Axis::vertical);
    m.updatePrefs([](Preferences& p) { p.showGuides = false; });
    m.perform(MensorCommand::editGuides);
    EXPECT_TRUE(*m.editingGuides());
    EXPECT_TRUE(m.prefs()->showGuides);
    EXPECT_FALSE(m.selectedGuide()->has_value());
    EXPECT_EQ(platform.announcer.last(),
              "Editing guides. Tab selects a guide, arrow keys move it, Delete removes it, V or H "
              "adds one at the pointer, Escape finishes.");
    m.selectNextGuide(true);
    EXPECT_TRUE(m.selectedGuide()->has_value());
    m.perform(MensorCommand::editGuides);
    EXPECT_FALSE(*m.editingGuides());
    EXPECT_FALSE(m.selectedGuide()->has_value());
    EXPECT_EQ(platform.announcer.last(), "Done editing guides");
}

TEST_F(GuidesTest, SelectionIsAnnouncedWithItsPlace) {
    Mensor& m = started();
    m.addGuide(Axis::vertical, Point{1300, 0});
    m.addGuide(Axis::vertical, Point{1100, 0});
    m.addGuide(Axis::horizontal, Point{1100, 200});
    m.startEditingGuides();
    m.selectNextGuide(true);
    EXPECT_EQ(platform.announcer.last(), "Vertical guide at 100 pt, 1 of 3");
    m.selectNextGuide(false);
    EXPECT_EQ(platform.announcer.last(), "Horizontal guide at 200 pt, 3 of 3");
    const std::size_t spoken = platform.announcer.spoken.size();
    m.setSelectedGuide(*m.selectedGuide()); // the same guide again: nothing is said
    EXPECT_EQ(platform.announcer.spoken.size(), spoken);
    m.selectNextGuide(true); // wraps to the first
    EXPECT_EQ(platform.announcer.last(), "Vertical guide at 100 pt, 1 of 3");
}

TEST_F(GuidesTest, SelectionOnlyWhileEditing) {
    Mensor& m = started();
    m.addGuide(Axis::vertical);
    m.setSelectedGuide(guide(0).id);
    EXPECT_FALSE(m.selectedGuide()->has_value());
}

TEST_F(GuidesTest, AddingWhileEditingSelectsTheNewGuide) {
    Mensor& m = started();
    m.startEditingGuides();
    m.addGuide(Axis::vertical);
    EXPECT_EQ(*m.selectedGuide(), std::optional<Uuid>(guide(0).id));
    EXPECT_EQ(toastText(), "Vertical guide at 100.5 pt");
}

struct NudgeCase {
    const char* name;
    MeasureUnit unit;
    double start; // on the scale-2 display
    std::int64_t by;
    double stored;
    const char* spoken;
};

class NudgeTest : public GuidesTest, public ::testing::WithParamInterface<NudgeCase> {};

TEST_P(NudgeTest, MovesByWholeUnits) {
    const NudgeCase& c = GetParam();
    Preferences p = welcomedPrefs();
    p.unit = c.unit;
    Mensor& m = started(p);
    m.addGuide(Axis::vertical, Point{c.start, 0});
    m.startEditingGuides();
    m.selectNextGuide(true);
    m.nudgeSelectedGuide(c.by);
    EXPECT_DOUBLE_EQ(guide(0).position, c.stored);
    EXPECT_EQ(platform.announcer.last(), c.spoken);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, NudgeTest,
    ::testing::Values(NudgeCase{"pixel_on_scale2", MeasureUnit::pixels, 1100, 1, 1100.5, "201 px"},
                      NudgeCase{"points_back", MeasureUnit::points, 1100, -10, 1090, "90 pt"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(GuidesTest, NudgeWithoutSelectionDoesNothing) {
    Mensor& m = started();
    m.addGuide(Axis::vertical);
    const int saves = platform.saves();
    m.nudgeSelectedGuide(1);
    EXPECT_EQ(platform.saves(), saves);
}

TEST_F(GuidesTest, RemovingTheSelectedGuideClearsTheSelection) {
    Mensor& m = started();
    m.addGuide(Axis::vertical);
    m.startEditingGuides();
    m.selectNextGuide(true);
    m.removeGuide(guide(0).id);
    EXPECT_TRUE(m.prefs()->guides.isEmpty());
    EXPECT_FALSE(m.selectedGuide()->has_value());
    EXPECT_EQ(toastText(), "Guide removed");
    m.removeGuide(Uuid::random()); // unknown: only the message
    EXPECT_EQ(toastText(), "Guide removed");
}

TEST_F(GuidesTest, ClearingAnEmptySetStillSaysSo) {
    Mensor& m = started();
    m.clearGuides();
    EXPECT_EQ(toastText(), "Guides cleared");
    m.addGuide(Axis::vertical);
    m.addGuide(Axis::horizontal);
    m.clearGuides();
    EXPECT_TRUE(platform.saved()->guides.isEmpty());
}

TEST_F(GuidesTest, AbsurdStoredGuidePositionsStayHarmless) {
    Preferences p = welcomedPrefs();
    p.guides.guides.push_back(Guide{Uuid::random(), Axis::vertical, 1e300});
    p.guides.guides.push_back(Guide{Uuid::random(), Axis::horizontal, -1e300});
    Mensor& m = started(p);
    m.startEditingGuides();
    m.selectNextGuide(true);
    m.nudgeSelectedGuide(10);
    m.moveGuide(guide(1).id, 200.2);
    EXPECT_DOUBLE_EQ(guide(1).position, 200);
    m.addGuide(Axis::vertical, Point{1e300, 0}); // lands on the existing far guide
    EXPECT_EQ(m.prefs()->guides.count(), 2);
}

} // namespace
} // namespace spanlet::testing
