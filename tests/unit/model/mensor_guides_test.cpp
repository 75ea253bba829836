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
    hidden.guides.guides.push_back(Guide{Uuid::random(), Axis::horizontal, 1e300});
    Mensor& m = started(hidden);
    m.guides().add(Axis::horizontal, Point{0, 1e300}); // lands on the absurd stored guide
    ASSERT_EQ(m.prefs()->guides.count(), 1);
    m.guides().clear();
    m.guides().add(Axis::vertical);
    EXPECT_DOUBLE_EQ(guide(0).position, 1100.5);
    EXPECT_EQ(toastText(), "Vertical guide at 100.5 pt");
    EXPECT_TRUE(m.prefs()->showGuides); // a new guide is always drawn
    EXPECT_EQ(platform.saved(), *m.prefs());
    m.toggleUnit();
    m.guides().add(Axis::horizontal, Point{1500, 33.3});
    EXPECT_EQ(toastText(), "Horizontal guide at 67 px");
    const int saves = platform.saves(); // unknown guide or unusable position: nothing
    m.guides().move(Uuid::random(), 5);
    m.guides().move(guide(0).id, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(platform.saves(), saves);
}

// Before the platform has seen the pointer, a guide goes to the middle of the main display rather
// than to the placeholder at the desktop's origin, on its edge.
TEST_F(GuidesTest, AddedBeforeThePointerIsSeenGoesToTheMainDisplaysMiddle) {
    Mensor& m = started();
    platform.displays.known = false;
    m.guides().add(Axis::vertical);
    m.guides().add(Axis::horizontal);
    EXPECT_DOUBLE_EQ(guide(0).position, 500);
    EXPECT_DOUBLE_EQ(guide(1).position, 400);
}

// Live edges at 1200 and 1260. Adding snaps to them within 8 points; dragging snaps within 4 to
// them and to the other vertical guides (at 1100), never to a horizontal one (at 1150).
TEST_F(GuidesTest, AddingAndDraggingSnapWithinTheirRadius) {
    struct Row {
        const char* name;
        bool adding;
        double to, stored;
    };
    for (const Row& r :
         {Row{"add_on_radius", true, 1208, 1200}, Row{"add_beyond_radius", true, 1208.5, 1208.5},
          Row{"drag_to_guide_on_radius", false, 1104, 1100},
          Row{"drag_beyond_radius", false, 1104.3, 1104.5},
          Row{"drag_not_to_other_axis", false, 1151, 1151}}) {
        pointAt({1230, 140});
        Mensor& m = started();
        m.enableSnapping();
        advance(0ms);
        m.guides().add(Axis::vertical, Point{1100, 0});
        m.guides().add(Axis::horizontal, Point{0, 1150});
        if (r.adding) {
            pointAt({r.to, 140});
            m.guides().add(Axis::vertical);
        } else {
            m.guides().add(Axis::vertical, Point{1500, 0});
            m.guides().move(guide(2).id, r.to);
        }
        EXPECT_DOUBLE_EQ(guide(2).position, r.stored) << r.name;
    }
}

TEST_F(GuidesTest, EditorSelectsNudgesRemovesAndAnnouncesGuidesWithTheirPlace) {
    Mensor& m = started();
    m.guides().add(Axis::vertical, Point{1300, 0});
    m.guides().add(Axis::vertical, Point{1100, 0});
    m.guides().add(Axis::horizontal, Point{1100, 200});
    m.perform(MensorCommand::editGuides);
    EXPECT_EQ(platform.announcer.last(),
              "Editing guides. Tab selects a guide, arrow keys move it, Delete removes it, V or H "
              "adds one at the pointer, Escape finishes.");
    m.guides().selectNext(false); // nothing selected: backwards starts at the last
    EXPECT_EQ(platform.announcer.last(), "Horizontal guide at 200 pt, 3 of 3");
    m.guides().selectNext(true); // wraps to the first
    EXPECT_EQ(platform.announcer.last(), "Vertical guide at 100 pt, 1 of 3");
    m.toggleUnit();
    m.guides().nudgeSelected(1); // whole device pixels of the guide's display
    EXPECT_DOUBLE_EQ(guide(1).position, 1100.5);
    EXPECT_EQ(platform.announcer.last(), "201 px");

    m.guides().remove(guide(1).id);
    EXPECT_FALSE(m.guides().selected()->has_value());
    EXPECT_EQ(toastText(), "Guide removed");
    m.perform(MensorCommand::editGuides);
    EXPECT_EQ(platform.announcer.last(), "Done editing guides");
    m.guides().clear();
    EXPECT_TRUE(platform.saved()->guides.isEmpty());
}

} // namespace
} // namespace spanlet::testing
