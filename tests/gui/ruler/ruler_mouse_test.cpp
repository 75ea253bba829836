// Dragging, resizing, double clicks and the context menu on the ruler window, with real pointer
// events from xdotool. Each step waits until Qt has handled it, since the panel reads the
// pointer's position when it handles an event.
#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <cmath>
#include <functional>
#include <ostream>
#include <string>

#include "RulerFixture.hpp"

namespace spanlet::test {
namespace {

/// Counts the double clicks a widget receives.
class DoubleClicks : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick) {
            ++count;
        }
        return false;
    }
};

/// Presses the left button at `from`, moves to `to` and releases (global points).
void dragFrom(RulerSession& s, Point from, Point to, Qt::CursorShape* duringDrag = nullptr) {
    ASSERT_TRUE(pointAt(s.displays(), from));
    ASSERT_TRUE(xdo({"mousedown", "1"}));
    ASSERT_TRUE(waitUntil([&] { return s.panel()->drag().has_value(); }));
    if (duringDrag) {
        *duringDrag = s.panel()->cursor().shape();
    }
    ASSERT_TRUE(pointAt(s.displays(), to));
    ASSERT_TRUE(xdo({"mouseup", "1"}));
    ASSERT_TRUE(waitUntil([&] { return !s.panel()->drag().has_value(); }));
}

struct MoveCase {
    const char* name;
    double length;
    Point origin; // stored before the drag
    Point press;  // global points
    Point release;
    Point expected; // stored afterwards
};

void PrintTo(const MoveCase& c, std::ostream* os) {
    *os << c.name;
}

using DraggingMovesTheRuler = RulerWindowWith<MoveCase>;

TEST_P(DraggingMovesTheRuler, ToTheRoundedAndClampedPlace) {
    const MoveCase& c = GetParam();
    session().place(RulerOrientation::horizontal, c.length, c.origin);
    ASSERT_TRUE(session().show());
    Qt::CursorShape duringDrag = Qt::ArrowCursor;
    dragFrom(session(), c.press, c.release, &duringDrag);
    EXPECT_EQ(duringDrag, Qt::ClosedHandCursor);
    EXPECT_EQ(session().panel()->cursor().shape(), Qt::OpenHandCursor);

    ASSERT_TRUE(prefs().rulerX && prefs().rulerY);
    EXPECT_DOUBLE_EQ(*prefs().rulerX, c.expected.x);
    EXPECT_DOUBLE_EQ(*prefs().rulerY, c.expected.y);
    EXPECT_EQ(prefs().rulerLength, c.length) << "a move keeps the length";
    EXPECT_TRUE(
        waitUntil([&] { return session().panel()->geometry() == expectedGeometry(model()); }));
}

INSTANTIATE_TEST_SUITE_P(
    RulerWindow, DraggingMovesTheRuler,
    ::testing::Values(
        // On B (scale 1): by the pointer's travel.

        // On A (scale 2) from a place off the device-pixel grid: travel (29.5, 47.5) gives
        // (129.8, 147.7), stored on whole device pixels (halves of points).
        MoveCase{"rounded_to_device_pixels",
                 200,
                 {100.3, 100.2},
                 {150.5, 110.5},
                 {180, 158},
                 {130, 147.5}},
        // On A: dragged down to the screen's edge, the ruler stops when 20 points of it are left
        // on the display (400 − 20).
        MoveCase{"clamped_to_the_display", 80, {400, 300}, {420, 301}, {430, 399.5}, {410, 380}}),
    [](const auto& row) { return std::string(row.param.name); });

struct ResizeCase {
    const char* name;
    RulerOrientation orientation;
    double length;
    Point origin;
    Point press; // in the grip zone
    Point release;
    Qt::CursorShape hoverCursor;
    double expected;
};

void PrintTo(const ResizeCase& c, std::ostream* os) {
    *os << c.name;
}

using DraggingTheGripResizes = RulerWindowWith<ResizeCase>;

TEST_P(DraggingTheGripResizes, WithinTheLimits) {
    const ResizeCase& c = GetParam();
    session().place(c.orientation, c.length, c.origin);
    ASSERT_TRUE(session().show());
    ASSERT_TRUE(pointAt(session().displays(), c.press));
    EXPECT_EQ(session().panel()->cursor().shape(), c.hoverCursor);
    dragFrom(session(), c.press, c.release);

    EXPECT_EQ(prefs().rulerLength, c.expected);
    EXPECT_EQ(prefs().rulerX, c.origin.x) << "a resize keeps the origin";
    EXPECT_EQ(prefs().rulerY, c.origin.y);
    const QSize size = c.orientation == RulerOrientation::horizontal ? QSize(int(c.expected), 40)
                                                                     : QSize(40, int(c.expected));
    EXPECT_TRUE(waitUntil([&] { return session().panel()->size() == size; }));
}

INSTANTIATE_TEST_SUITE_P(RulerWindow, DraggingTheGripResizes,
                         ::testing::Values(
                             // The grip zone is the last 18 points: 291 of 300 is in it.
                             ResizeCase{"lengthens_rightwards",
                                        RulerOrientation::horizontal,
                                        300,
                                        {1300, 200},
                                        {1591, 220},
                                        {1641, 225},
                                        Qt::SizeHorCursor,
                                        350},

                             // 1140 + 21 would pass the longest display side, B's 1152 points.
                             ResizeCase{"stops_at_the_longest_display_side",
                                        RulerOrientation::horizontal,
                                        1140,
                                        {1152, 100},
                                        {2282, 120},
                                        {2303, 120},
                                        Qt::SizeHorCursor,
                                        1152},
                             ResizeCase{"vertical_lengthens_downwards",
                                        RulerOrientation::vertical,
                                        300,
                                        {1500, 100},
                                        {1520, 391},
                                        {1525, 451},
                                        Qt::SizeVerCursor,
                                        360}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(RulerWindow, ADoubleClickTurnsIt) {
    session().place(RulerOrientation::horizontal, 300, {1300, 200});
    ASSERT_TRUE(session().show());
    ASSERT_TRUE(pointAt(session().displays(), {1400, 220}));
    ASSERT_TRUE(xdo({"click", "--repeat", "2", "--delay", "40", "1"}));

    EXPECT_TRUE(waitUntil([&] { return prefs().rulerOrientation == RulerOrientation::vertical; }));
    EXPECT_TRUE(
        waitUntil([&] { return session().panel()->geometry() == QRect(1300, 200, 40, 300); }));
    EXPECT_EQ(prefs().rulerX, 1300) << "turning keeps the origin";
}

TEST_F(RulerWindow, ADoubleClickWithADragBetweenOnlyMovesIt) {
    session().place(RulerOrientation::horizontal, 300, {1300, 200});
    ASSERT_TRUE(session().show());
    DoubleClicks doubleClicks;
    session().panel()->installEventFilter(&doubleClicks);
    ASSERT_TRUE(pointAt(session().displays(), {1400, 220}));
    ASSERT_TRUE(xdo({"click", "1"}));
    ASSERT_TRUE(xdo({"mousedown", "1"}));
    ASSERT_EQ(doubleClicks.count, 1) << "the second press must be a double click";
    ASSERT_TRUE(pointAt(session().displays(), {1430, 220}));
    ASSERT_TRUE(xdo({"mouseup", "1"}));
    settle();

    EXPECT_EQ(prefs().rulerOrientation, RulerOrientation::horizontal);
    EXPECT_EQ(prefs().rulerX, 1330);
    session().panel()->removeEventFilter(&doubleClicks);
}

struct MenuCase {
    const char* name;
    RulerOrientation orientation;
    MeasureUnit unit;
    std::vector<std::string> titles; // "" for the separator
    std::string choose;
    std::function<void(const RulerSession&)> check;
};

void PrintTo(const MenuCase& c, std::ostream* os) {
    *os << c.name;
}

using TheContextMenu = RulerWindowWith<MenuCase>;

TEST_P(TheContextMenu, HasTheEntriesAndCarriesThemOut) {
    const MenuCase& c = GetParam();
    session().place(c.orientation, 300, {1300, 200}, c.unit);
    ASSERT_TRUE(session().show());
    ASSERT_TRUE(pointAt(session().displays(), {1320, 210}));
    ASSERT_TRUE(xdo({"click", "3"}));
    ASSERT_TRUE(waitUntil([&] {
        return session().panel()->contextMenu() && session().panel()->contextMenu()->isVisible();
    }));
    QMenu* menu = session().panel()->contextMenu();

    std::vector<std::string> titles;
    QAction* chosen = nullptr;
    for (QAction* action : menu->actions()) {
        titles.push_back(action->isSeparator() ? "" : action->text().toStdString());
        if (action->text().toStdString() == c.choose) {
            chosen = action;
        }
    }
    EXPECT_EQ(titles, c.titles);
    ASSERT_NE(chosen, nullptr);
    const QPoint target = menu->mapToGlobal(menu->actionGeometry(chosen).center());
    ASSERT_TRUE(pointAt(session().displays(), {double(target.x()), double(target.y())}));
    ASSERT_TRUE(xdo({"click", "1"}));
    ASSERT_TRUE(waitUntil([&] { return !session().panel()->contextMenu(); }));
    c.check(session());
}

INSTANTIATE_TEST_SUITE_P(
    RulerWindow, TheContextMenu,
    ::testing::Values(
        MenuCase{"horizontal_in_points_adds_a_vertical_guide_at_the_press",
                 RulerOrientation::horizontal,
                 MeasureUnit::points,
                 {"Add Vertical Guide Here", "Make Vertical", "Show Pixels", "", "Hide Ruler"},
                 "Add Vertical Guide Here",
                 [](const RulerSession& s) {
                     const auto& guides = s.model().prefs()->guides.guides;
                     ASSERT_EQ(guides.size(), 1u);
                     EXPECT_EQ(guides[0].axis, Axis::vertical);
                     EXPECT_EQ(guides[0].position, 1320);
                 }},

        MenuCase{
            "vertical_in_pixels_switches_the_unit",
            RulerOrientation::vertical,
            MeasureUnit::pixels,
            {"Add Horizontal Guide Here", "Make Horizontal", "Show Points", "", "Hide Ruler"},
            "Show Points",
            [](const RulerSession& s) { EXPECT_EQ(s.model().prefs()->unit, MeasureUnit::points); }},
        MenuCase{"vertical_hides_the_ruler",
                 RulerOrientation::vertical,
                 MeasureUnit::points,
                 {"Add Horizontal Guide Here", "Make Horizontal", "Show Pixels", "", "Hide Ruler"},
                 "Hide Ruler",
                 [](const RulerSession& s) {
                     EXPECT_FALSE(*s.model().rulerVisible());
                     EXPECT_TRUE(waitUntil([&] { return !s.panel()->isVisible(); }));
                 }}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace spanlet::test
