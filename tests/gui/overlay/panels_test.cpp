#include <QApplication>
#include <set>

#include "OverlayDesk.hpp"

namespace spanlet::test {
namespace {

using PanelTest = OverlayDesk;

Preferences withGuide(double x) {
    Preferences prefs;
    prefs.guides.guides = {{Uuid::random(), Axis::vertical, x}};
    return prefs;
}

std::set<std::uint32_t> panelIds(const QtOverlayController& overlays) {
    std::set<std::uint32_t> ids;
    for (OverlayPanel* p : overlays.panels()) {
        ids.insert(p->screenId());
    }
    return ids;
}

TEST_F(PanelTest, OnePanelPerDisplayCoveringItAlsoAfterAMonitorGoesAndComes) {
    Mensor& m = start(withGuide(40));
    ASSERT_EQ(overlays->panels().size(), 2U);
    EXPECT_EQ(panelIds(*overlays), (std::set<std::uint32_t>{idA(), idB()}));
    EXPECT_TRUE(overlays->compositing());
    for (OverlayPanel* p : overlays->panels()) {
        const Rect f = display(p->screenId()).info.frame;
        EXPECT_EQ(p->geometry(), QRectF(f.x, f.y, f.width, f.height).toAlignedRect());
        EXPECT_TRUE(own.contains(static_cast<std::uint32_t>(p->winId())))
            << "captures must leave the panel out";
        EXPECT_TRUE(p->isVisible());
    }

    const std::uint32_t b = idB();
    ASSERT_EQ(run({"xrandr", "--delmonitor", "B"}), 0);
    ASSERT_TRUE(waitUntil([&] { return m.screens()->size() == 1; }));
    settle();
    EXPECT_EQ(panelIds(*overlays), (std::set<std::uint32_t>{m.screens()->front().id}));
    EXPECT_EQ(own.snapshot().windows.size(), 1U) << "the gone panel is no longer registered";

    ASSERT_EQ(run({"xrandr", "--setmonitor", "B", "1152/300x800/300+1152+0", "none"}), 0);
    ASSERT_TRUE(waitUntil([&] { return m.screens()->size() == 2; }));
    settle();
    EXPECT_EQ(panelIds(*overlays), (std::set<std::uint32_t>{idA(), b}));
    int visible = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        visible += (qobject_cast<OverlayPanel*>(w) && w->isVisible()) ? 1 : 0;
    }
    EXPECT_EQ(visible, 2) << "old panels are hidden";
}

TEST_F(PanelTest, HiddenWhileNothingNeedsDrawing) {
    Mensor& m = start();
    const auto visible = [&](bool shown) {
        for (OverlayPanel* p : overlays->panels()) {
            EXPECT_EQ(p->isVisible(), shown) << p->screenId();
        }
    };
    ASSERT_FALSE(m.needsOverlay());
    visible(false);
    m.addGuide(Axis::vertical, global(idB(), {200, 10}));
    settle();
    visible(true);
    m.clearGuides(); // leaves a message up for a while
    platform.clock.advance(Mensor::toastDuration);
    settle();
    ASSERT_FALSE(m.needsOverlay());
    visible(false);
}

TEST_F(PanelTest, ClicksPassThroughWhileNotEditing) {
    start(withGuide(40));
    const QPoint at = device(idB(), {400, 300});
    PlainWindow below(QRect(at - QPoint(50, 50), QSize(100, 100)), 0x336699);
    // The panels go back above a window that maps later.
    ASSERT_TRUE(waitUntil([&] { return panelsAbove(below.id()); }));
    ASSERT_TRUE(
        xdotool({"mousemove", std::to_string(at.x()), std::to_string(at.y()), "click", "1"}));
    EXPECT_TRUE(waitUntil([&] { return below.pressed(); }));
}

} // namespace
} // namespace spanlet::test
