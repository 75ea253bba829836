// Dragging, resizing, double clicks and the context menu on the ruler window, with real pointer
// events from xdotool. Each step waits until Qt has handled it, since the panel reads the
// pointer's position when it handles an event.
#include <QAction>
#include <QMenu>
#include <QMouseEvent>
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

// On A (scale 2) from a place off the device-pixel grid: travel (29.5, 47.5) gives
// (129.8, 147.7), stored on whole device pixels (halves of points). The rounding and clamping
// rules themselves are checked in the unit and model tests.
TEST_F(RulerWindow, DraggingMovesItToTheRoundedPlace) {
    session().place(RulerOrientation::horizontal, 200, {100.3, 100.2});
    ASSERT_TRUE(session().show());
    Qt::CursorShape duringDrag = Qt::ArrowCursor;
    dragFrom(session(), {150.5, 110.5}, {180, 158}, &duringDrag);
    EXPECT_EQ(duringDrag, Qt::ClosedHandCursor);
    EXPECT_EQ(session().panel()->cursor().shape(), Qt::OpenHandCursor);

    ASSERT_TRUE(prefs().rulerX && prefs().rulerY);
    EXPECT_DOUBLE_EQ(*prefs().rulerX, 130);
    EXPECT_DOUBLE_EQ(*prefs().rulerY, 147.5);
    EXPECT_EQ(prefs().rulerLength, 200) << "a move keeps the length";
    EXPECT_TRUE(
        waitUntil([&] { return session().panel()->geometry() == expectedGeometry(model()); }));
}

// The grip zone is the last 18 points: 291 of 300 is in it. The length limits are checked in
// the model tests.
TEST_F(RulerWindow, DraggingTheGripResizesIt) {
    session().place(RulerOrientation::horizontal, 300, {1300, 200});
    ASSERT_TRUE(session().show());
    ASSERT_TRUE(pointAt(session().displays(), {1591, 220}));
    EXPECT_EQ(session().panel()->cursor().shape(), Qt::SizeHorCursor);
    dragFrom(session(), {1591, 220}, {1641, 225});

    EXPECT_EQ(prefs().rulerLength, 350);
    EXPECT_EQ(prefs().rulerX, 1300) << "a resize keeps the origin";
    EXPECT_EQ(prefs().rulerY, 200);
    EXPECT_TRUE(waitUntil([&] { return session().panel()->size() == QSize(350, 40); }));
}

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

// The entries for each state are checked in the unit tests; here the real menu opens on a
// right click, lists them, and a chosen entry reaches the model with the press position.
TEST_F(RulerWindow, TheContextMenuAddsAGuideAtThePress) {
    session().place(RulerOrientation::horizontal, 300, {1300, 200});
    ASSERT_TRUE(session().show());
    ASSERT_TRUE(pointAt(session().displays(), {1320, 210}));
    ASSERT_TRUE(xdo({"click", "3"}));
    ASSERT_TRUE(waitUntil([&] {
        return session().panel()->contextMenu() && session().panel()->contextMenu()->isVisible();
    }));
    QMenu* menu = session().panel()->contextMenu();

    std::vector<std::string> titles;
    for (QAction* action : menu->actions()) {
        titles.push_back(action->isSeparator() ? "" : action->text().toStdString());
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"Add Vertical Guide Here", "Make Vertical",
                                                "Show Pixels", "", "Hide Ruler"}));
    QAction* chosen = menu->actions().value(0);
    ASSERT_NE(chosen, nullptr);
    const QPoint target = menu->mapToGlobal(menu->actionGeometry(chosen).center());
    ASSERT_TRUE(pointAt(session().displays(), {double(target.x()), double(target.y())}));
    ASSERT_TRUE(xdo({"click", "1"}));
    ASSERT_TRUE(waitUntil([&] { return !session().panel()->contextMenu(); }));
    const auto& guides = prefs().guides.guides;
    ASSERT_EQ(guides.size(), 1u);
    EXPECT_EQ(guides[0].axis, Axis::vertical);
    EXPECT_EQ(guides[0].position, 1320);
}

} // namespace
} // namespace spanlet::test
