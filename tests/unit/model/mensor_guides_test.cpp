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
    [[nodiscard]] const Guide& guide(std::size_t i) const {
        return model->prefs()->guides.guides.at(i);
    }
};

TEST_F(GuidesTest, AddAtThePointerRoundsToTheDisplaysPixelsShowsAndSaysWhere) {
    Preferences hidden = welcomedPrefs();
    hidden.showGuides = false;
    Mensor& m = started(hidden);
    m.addGuide(Axis::vertical);
    EXPECT_DOUBLE_EQ(guide(0).position, 1100.5);
    EXPECT_EQ(toastText(), "Vertical guide at 100.5 pt");
    EXPECT_TRUE(m.prefs()->showGuides); // a new guide is always drawn
    EXPECT_EQ(platform.saved(), *m.prefs());
    m.toggleUnit();
    m.addGuide(Axis::horizontal, Point{1500, 33.3});
    EXPECT_DOUBLE_EQ(guide(1).position, 33.5);
    EXPECT_EQ(toastText(), "Horizontal guide at 67 px");

    platform.displays.screens.clear(); // without displays: standard scale, plain numbers
    platform.displays.fireScreensChanged();
    m.addGuide(Axis::vertical, Point{12.345, 0});
    EXPECT_DOUBLE_EQ(guide(2).position, 12);
    EXPECT_EQ(toastText(), "Vertical guide at 12");
}

// Live edges at 1200 and 1260. Adding snaps to them within 8 points while snapping is on;
// dragging snaps within 4 to them and to the other vertical guides (at 1100), never to a
// horizontal one (at 1150).
TEST_F(GuidesTest, AddingAndDraggingSnapWithinTheirRadius) {
    struct Row {
        const char* name;
        bool adding;
        double to, stored;
    };
    for (const Row& r :
         {Row{"add_on_radius", true, 1208, 1200}, Row{"add_beyond_radius", true, 1208.5, 1208.5},
          Row{"add_to_right_edge", true, 1253, 1260},
          Row{"drag_to_guide_on_radius", false, 1104, 1100},
          Row{"drag_beyond_radius", false, 1104.3, 1104.5},
          Row{"drag_to_live_edge", false, 1196.2, 1200},
          Row{"drag_not_to_other_axis", false, 1151, 1151},
          Row{"drag_rounded_on_scale1", false, 500.3, 500}}) {
        pointAt({1230, 140});
        Mensor& m = started();
        m.enableSnapping();
        advance(0ms);
        ASSERT_TRUE(m.live()->has_value());
        m.addGuide(Axis::vertical, Point{1100, 0});
        m.addGuide(Axis::horizontal, Point{0, 1150});
        if (r.adding) {
            pointAt({r.to, 140});
            m.addGuide(Axis::vertical);
        } else {
            m.addGuide(Axis::vertical, Point{1500, 0});
            m.moveGuide(guide(2).id, r.to);
        }
        EXPECT_DOUBLE_EQ(guide(2).position, r.stored) << r.name;
    }
    model->disableSnapping();
    pointAt({1203, 140});
    model->addGuide(Axis::vertical);
    EXPECT_DOUBLE_EQ(guide(3).position, 1203);
}

TEST_F(GuidesTest, UnknownGuideUnusablePositionOrNoSelectionChangeNothing) {
    Mensor& m = started();
    m.addGuide(Axis::vertical);
    const int saves = platform.saves();
    m.moveGuide(Uuid::random(), 5);
    m.moveGuide(guide(0).id, std::numeric_limits<double>::quiet_NaN());
    m.nudgeSelectedGuide(1);
    m.setSelectedGuide(guide(0).id); // only the editor selects
    EXPECT_FALSE(m.selectedGuide()->has_value());
    EXPECT_EQ(platform.saves(), saves);
}

TEST_F(GuidesTest, EditorSelectsNudgesAndAnnouncesGuidesWithTheirPlace) {
    Mensor& m = started();
    m.addGuide(Axis::vertical, Point{1300, 0});
    m.addGuide(Axis::vertical, Point{1100, 0});
    m.addGuide(Axis::horizontal, Point{1100, 200});
    m.updatePrefs([](Preferences& p) { p.showGuides = false; });
    m.perform(MensorCommand::editGuides);
    EXPECT_TRUE(*m.editingGuides());
    EXPECT_TRUE(m.prefs()->showGuides);
    EXPECT_EQ(platform.announcer.last(),
              "Editing guides. Tab selects a guide, arrow keys move it, Delete removes it, V or H "
              "adds one at the pointer, Escape finishes.");

    m.selectNextGuide(false); // nothing selected: backwards starts at the last
    EXPECT_EQ(platform.announcer.last(), "Horizontal guide at 200 pt, 3 of 3");
    m.selectNextGuide(true); // wraps to the first
    EXPECT_EQ(platform.announcer.last(), "Vertical guide at 100 pt, 1 of 3");
    const std::size_t spoken = platform.announcer.spoken.size();
    m.setSelectedGuide(*m.selectedGuide()); // the same guide again: nothing is said
    EXPECT_EQ(platform.announcer.spoken.size(), spoken);

    m.nudgeSelectedGuide(-10); // whole points
    EXPECT_DOUBLE_EQ(guide(1).position, 1090);
    EXPECT_EQ(platform.announcer.last(), "90 pt");
    m.toggleUnit();
    m.nudgeSelectedGuide(1); // whole device pixels of the guide's display
    EXPECT_DOUBLE_EQ(guide(1).position, 1090.5);
    EXPECT_EQ(platform.announcer.last(), "181 px");

    m.addGuide(Axis::vertical); // adding while editing selects the new guide
    EXPECT_EQ(*m.selectedGuide(), guide(3).id);
    m.perform(MensorCommand::editGuides);
    EXPECT_FALSE(*m.editingGuides());
    EXPECT_FALSE(m.selectedGuide()->has_value());
    EXPECT_EQ(platform.announcer.last(), "Done editing guides");
}

TEST_F(GuidesTest, RemoveAndClearSayItEvenWhenNothingWasThere) {
    Mensor& m = started();
    m.clearGuides();
    EXPECT_EQ(toastText(), "Guides cleared");
    m.addGuide(Axis::vertical);
    m.addGuide(Axis::horizontal);
    m.startEditingGuides();
    m.selectNextGuide(true);
    m.removeGuide(guide(0).id);
    EXPECT_EQ(m.prefs()->guides.count(), 1);
    EXPECT_FALSE(m.selectedGuide()->has_value());
    EXPECT_EQ(toastText(), "Guide removed");
    advance(2s);
    m.removeGuide(Uuid::random()); // unknown: only the message
    EXPECT_EQ(toastText(), "Guide removed");
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
