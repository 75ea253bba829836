// The ruler window through the model, with real pointer and key events from xdotool. Each step
// waits until Qt has handled it, since the panel reads the pointer when it handles an event. The
// key table, drag arithmetic, length limits, menu entries and texts are unit tests'; here real
// windows and events reach them. Display B (scale 1) holds every ruler unless a test says
// otherwise.
#include <QRegion>
#include <variant>

#include "RulerSession.hpp"

namespace spanlet::test {
namespace {

constexpr auto H = RulerOrientation::horizontal;
constexpr auto V = RulerOrientation::vertical;

// Without a compositor the window is cut to the rounded face.
TEST_F(RulerWindow, TheModelShowsOneOfOurWindowsCutToItsFaceAndReusesItWhenHidden) {
    session().place(H, 300, {1300, 200});
    ASSERT_TRUE(session().show());
    RulerPanel* panel = session().panel();
    EXPECT_EQ(panel->geometry(), QRect(1300, 200, 300, 40));
    EXPECT_TRUE(session().ownWindows().contains(static_cast<std::uint32_t>(panel->winId())))
        << "captures must leave the ruler out";
    // On every workspace and above full-screen windows: the workspaces scenario.
    settle();
    EXPECT_FALSE(panel->hasFocus()) << "it appears without taking the focus";
    EXPECT_TRUE(panel->mask().contains(QPoint(150, 0))) << "edges between the corners stay";
    EXPECT_FALSE(panel->mask().contains(QPoint(299, 39))) << "corners are cut round";

    model().ruler().toggle();
    EXPECT_TRUE(waitUntil([&] { return !panel->isVisible(); }));
    ASSERT_TRUE(session().show());
    EXPECT_EQ(session().panel(), panel) << "the one panel is kept while hidden";
}

TEST_F(RulerWindow, KeysMoveItADoubleClickTurnsItAndEscapeHidesIt) {
    session().place(H, 300, {1300, 200});
    ASSERT_TRUE(session().show());
    RulerPanel* panel = session().panel();
    ASSERT_TRUE(pointAt({1500, 220}));
    ASSERT_TRUE(xdo({"click", "--repeat", "2", "--delay", "40", "1"}));
    EXPECT_TRUE(waitUntil([&] { return panel->hasFocus(); }));
    EXPECT_TRUE(waitUntil([&] { return prefs().rulerOrientation == V; }));
    ASSERT_TRUE(xdo({"key", "shift+Left"}));
    EXPECT_EQ(prefs().rulerX, 1290);
    EXPECT_TRUE(waitUntil([&] { return panel->geometry() == QRect(1290, 200, 40, 300); }));
    ASSERT_TRUE(xdo({"key", "Escape"}));
    EXPECT_FALSE(*model().ruler().visible());
}

// On A (scale 2) from a place off the device-pixel grid: travel (29.5, 47.5) gives
// (129.8, 147.7), stored on whole device pixels (halves of points).
TEST_F(RulerWindow, DraggingMovesItToTheRoundedPlaceWhereItComesBackAfterARestart) {
    session().place(V, 200, {100.3, 100.2});
    ASSERT_TRUE(session().show());
    RulerPanel* panel = session().panel();
    ASSERT_TRUE(pointAt({110.5, 150.5}));
    ASSERT_TRUE(xdo({"mousedown", "1"}));
    ASSERT_TRUE(waitUntil([&] { return panel->drag().has_value(); }));
    EXPECT_EQ(panel->cursor().shape(), Qt::ClosedHandCursor);
    ASSERT_TRUE(pointAt({140, 198}));
    ASSERT_TRUE(xdo({"mouseup", "1"}));
    ASSERT_TRUE(waitUntil([&] { return !panel->drag().has_value(); }));
    EXPECT_EQ(prefs().rulerX, 130);
    EXPECT_EQ(prefs().rulerY, 147.5);
    EXPECT_TRUE(atItsFrame());

    restart();
    EXPECT_EQ(prefs().rulerOrientation, V);
    EXPECT_EQ(prefs().rulerLength, 200);
    ASSERT_TRUE(session().show());
    EXPECT_EQ(session().panel()->geometry(), QRect(130, 148, 40, 200));
}

// The grip zone is the last 18 points: 291 of 300 is in it.
TEST_F(RulerWindow, DraggingTheGripResizesIt) {
    session().place(H, 300, {1300, 200});
    ASSERT_TRUE(session().show());
    ASSERT_TRUE(pointAt({1591, 220}));
    // The cursor changes once Qt has seen the motion, which may come after xdotool returns.
    EXPECT_TRUE(
        waitUntil([&] { return session().panel()->cursor().shape() == Qt::SizeHorCursor; }));
    ASSERT_TRUE(xdo({"mousedown", "1"}));
    // The press is read where the pointer is when Qt handles it: before it moves on.
    ASSERT_TRUE(waitUntil([&] {
        const auto& drag = session().panel()->drag();
        return drag && std::holds_alternative<RulerDrag::Resize>(drag->value);
    }));
    ASSERT_TRUE(pointAt({1641, 225}));
    ASSERT_TRUE(xdo({"mouseup", "1"}));
    EXPECT_TRUE(waitUntil([&] { return prefs().rulerLength == 350; }));
    EXPECT_EQ(prefs().rulerX, 1300) << "a resize keeps the origin";
    EXPECT_TRUE(waitUntil([&] { return session().panel()->size() == QSize(350, 40); }));
}

} // namespace
} // namespace spanlet::test
