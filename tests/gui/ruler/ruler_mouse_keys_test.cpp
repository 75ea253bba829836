// Keys, dragging, resizing, double clicks and the context menu on the ruler window, with real
// pointer and key events from xdotool. Each step waits until Qt has handled it, since the panel
// reads the pointer's position when it handles an event. The key table, the drag arithmetic,
// the length limits and the menu entries of each state are unit and model tests'; here real
// events reach them.
#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <string>

#include <spanlet/NumberText.hpp>

#include "RulerSession.hpp"

namespace spanlet::test {
namespace {

constexpr auto H = RulerOrientation::horizontal;
constexpr auto V = RulerOrientation::vertical;

/// Counts the double clicks a widget receives.
class DoubleClicks : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        count += event->type() == QEvent::MouseButtonDblClick ? 1 : 0;
        return false;
    }
};

class RulerInput : public RulerWindow {
protected:
    /// Presses the left button at `from`, moves to `to` and releases (global points).
    void dragFrom(Point from, Point to, Qt::CursorShape* duringDrag = nullptr) {
        RulerPanel* panel = session().panel();
        ASSERT_TRUE(pointAt(from));
        ASSERT_TRUE(xdo({"mousedown", "1"}));
        ASSERT_TRUE(waitUntil([&] { return panel->drag().has_value(); }));
        if (duringDrag) {
            *duringDrag = panel->cursor().shape();
        }
        ASSERT_TRUE(pointAt(to));
        ASSERT_TRUE(xdo({"mouseup", "1"}));
        ASSERT_TRUE(waitUntil([&] { return !panel->drag().has_value(); }));
    }
};

TEST_F(RulerInput, KeysOnTheFocusedRulerMoveResizeAddAGuideAndHideIt) {
    session().place(H, 300, {1300, 200});
    ASSERT_TRUE(session().show());
    RulerPanel* panel = session().panel();
    // The focus as a window manager gives it, without a click (consecutive clicks on one spot
    // would make a double click, which turns the ruler).
    ASSERT_TRUE(pointAt({1345, 215}));
    ASSERT_TRUE(xdo({"windowfocus", NumberText::string(double(panel->winId()), 0)}));
    ASSERT_TRUE(waitUntil([&] { return panel->hasFocus(); }));
    // The value-change event reaches only a listening assistive client, so the panel's
    // matching signal is watched.
    std::vector<QString> valueChanges;
    QObject receiver;
    QObject::connect(panel, &RulerPanel::accessibleValueChanged, &receiver,
                     [&](const QString& value) { valueChanges.push_back(value); });

    ASSERT_TRUE(xdo({"key", "shift+Left"}));
    EXPECT_EQ(prefs().rulerX, 1290);
    EXPECT_EQ(prefs().rulerY, 200);
    ASSERT_EQ(valueChanges.size(), 1u);
    EXPECT_EQ(valueChanges[0], panel->accessibleValue());
    ASSERT_TRUE(xdo({"key", "alt+Right"})); // Alt stands in for Option
    EXPECT_EQ(prefs().rulerLength, 301);
    EXPECT_EQ(prefs().rulerX, 1290);
    EXPECT_TRUE(atItsFrame());

    ASSERT_TRUE(xdo({"key", "g"}));
    const auto& guides = prefs().guides.guides;
    ASSERT_EQ(guides.size(), 1u);
    EXPECT_EQ(guides[0].axis, Axis::vertical);
    EXPECT_EQ(guides[0].position, 1345);
    ASSERT_TRUE(xdo({"key", "Escape"}));
    EXPECT_FALSE(*model().rulerVisible());
}

// On A (scale 2) from a place off the device-pixel grid: travel (29.5, 47.5) gives
// (129.8, 147.7), stored on whole device pixels (halves of points).
TEST_F(RulerInput, DraggingMovesItToTheRoundedPlaceWhereItComesBackAfterARestart) {
    session().place(V, 200, {100.3, 100.2});
    ASSERT_TRUE(session().show());
    Qt::CursorShape duringDrag = Qt::ArrowCursor;
    dragFrom({110.5, 150.5}, {140, 198}, &duringDrag);
    EXPECT_EQ(duringDrag, Qt::ClosedHandCursor);
    EXPECT_EQ(session().panel()->cursor().shape(), Qt::OpenHandCursor);
    EXPECT_EQ(prefs().rulerX, 130);
    EXPECT_EQ(prefs().rulerY, 147.5);
    EXPECT_EQ(prefs().rulerLength, 200) << "a move keeps the length";
    EXPECT_TRUE(atItsFrame());

    restart();
    EXPECT_EQ(prefs().rulerOrientation, V);
    EXPECT_EQ(prefs().rulerLength, 200);
    EXPECT_EQ(prefs().rulerX, 130);
    EXPECT_EQ(prefs().rulerY, 147.5);
    ASSERT_TRUE(session().show());
    EXPECT_EQ(session().panel()->geometry(), QRect(130, 148, 40, 200));
}

// The grip zone is the last 18 points: 291 of 300 is in it.
TEST_F(RulerInput, DraggingTheGripResizesIt) {
    session().place(H, 300, {1300, 200});
    ASSERT_TRUE(session().show());
    ASSERT_TRUE(pointAt({1591, 220}));
    // The cursor changes once Qt has seen the motion, which may come after xdotool returns.
    EXPECT_TRUE(
        waitUntil([&] { return session().panel()->cursor().shape() == Qt::SizeHorCursor; }));
    dragFrom({1591, 220}, {1641, 225});
    EXPECT_EQ(prefs().rulerLength, 350);
    EXPECT_EQ(prefs().rulerX, 1300) << "a resize keeps the origin";
    EXPECT_EQ(prefs().rulerY, 200);
    EXPECT_TRUE(waitUntil([&] { return session().panel()->size() == QSize(350, 40); }));
}

TEST_F(RulerInput, AClickFocusesItAndADoubleClickTurnsItUnlessItDraggedBetween) {
    session().place(H, 300, {1300, 200});
    ASSERT_TRUE(session().show());
    RulerPanel* panel = session().panel();
    DoubleClicks doubleClicks;
    panel->installEventFilter(&doubleClicks);
    ASSERT_TRUE(pointAt({1400, 220}));
    ASSERT_TRUE(xdo({"click", "1"}));
    ASSERT_TRUE(xdo({"mousedown", "1"}));
    ASSERT_EQ(doubleClicks.count, 1) << "the second press must be a double click";
    ASSERT_TRUE(pointAt({1430, 220}));
    ASSERT_TRUE(xdo({"mouseup", "1"}));
    EXPECT_TRUE(waitUntil([&] { return panel->hasFocus(); }));
    EXPECT_EQ(prefs().rulerOrientation, H);
    EXPECT_EQ(prefs().rulerX, 1330) << "it only moved";

    ASSERT_TRUE(pointAt({1500, 220}));
    ASSERT_TRUE(xdo({"click", "--repeat", "2", "--delay", "40", "1"}));
    EXPECT_TRUE(waitUntil([&] { return prefs().rulerOrientation == V; }));
    EXPECT_TRUE(waitUntil([&] { return panel->geometry() == QRect(1330, 200, 40, 300); }))
        << "turning keeps the origin";
}

TEST_F(RulerInput, TheContextMenuAddsAGuideAtThePress) {
    session().place(H, 300, {1300, 200});
    ASSERT_TRUE(session().show());
    ASSERT_TRUE(pointAt({1320, 210}));
    ASSERT_TRUE(xdo({"click", "3"}));
    ASSERT_TRUE(waitUntil([&] {
        return session().panel()->contextMenu() && session().panel()->contextMenu()->isVisible();
    }));
    QMenu* menu = session().panel()->contextMenu();
    // The entries of each state are ruler_input_test's; the first adds a guide at the press.
    ASSERT_EQ(menu->actions().size(), 5);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("Add Vertical Guide Here"));
    EXPECT_TRUE(menu->actions()[3]->isSeparator());
    const QPoint target = menu->mapToGlobal(menu->actionGeometry(menu->actions()[0]).center());
    ASSERT_TRUE(pointAt({double(target.x()), double(target.y())}));
    ASSERT_TRUE(xdo({"click", "1"}));
    ASSERT_TRUE(waitUntil([&] { return !session().panel()->contextMenu(); }));
    const auto& guides = prefs().guides.guides;
    ASSERT_EQ(guides.size(), 1u);
    EXPECT_EQ(guides[0].axis, Axis::vertical);
    EXPECT_EQ(guides[0].position, 1320);
}

} // namespace
} // namespace spanlet::test
