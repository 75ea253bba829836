#include <QApplication>
#include <set>

#include "OverlayDesk.hpp"

namespace spanlet::test {
namespace {

using PanelTest = OverlayDesk;

// One panel per display, covering it, registered as ours, shown only while something needs
// drawing, above windows that map later, and rebuilt when a monitor goes and comes back.
TEST_F(PanelTest, OnePanelPerDisplayShownWhileNeededAlsoAfterAMonitorGoesAndComes) {
    Mensor& m = start();
    const auto panels = [&](bool visible) {
        std::set<std::uint32_t> ids;
        for (x11::OverlayPanel* p : host->panels()) {
            EXPECT_EQ(p->isVisible(), visible) << p->screenId();
            ids.insert(p->screenId());
        }
        return ids;
    };
    EXPECT_EQ(panels(false), (std::set<std::uint32_t>{idA(), idB()}));
    m.guides().add(Axis::vertical, global(idA(), {40, 10}));
    settle();
    EXPECT_EQ(panels(true).size(), 2U);
    EXPECT_TRUE(surfaces->compositing());
    for (x11::OverlayPanel* p : host->panels()) {
        const Rect f = display(p->screenId()).info.frame;
        EXPECT_EQ(p->geometry(), QRectF(f.x, f.y, f.width, f.height).toAlignedRect());
        EXPECT_TRUE(own->contains(static_cast<std::uint32_t>(p->winId())))
            << "captures must leave the panel out";
    }

    const QPoint at = device(idB(), {400, 300});
    PlainWindow below(QRect(at - QPoint(50, 50), QSize(100, 100)), 0x336699);
    // The panels go back above a window that maps later.
    EXPECT_TRUE(waitUntil([&] { return panelsAbove(below.id()); }));

    const std::uint32_t b = idB();
    ASSERT_EQ(run({"xrandr", "--delmonitor", "B"}), 0);
    ASSERT_TRUE(waitUntil([&] { return m.screens()->size() == 1; }));
    settle();
    EXPECT_EQ(panels(true), (std::set<std::uint32_t>{m.screens()->front().id}));
    EXPECT_EQ(own->snapshot().windows.size(), 1U) << "the gone panel is no longer registered";
    ASSERT_EQ(run({"xrandr", "--setmonitor", "B", "1152/300x800/300+1152+0", "none"}), 0);
    ASSERT_TRUE(waitUntil([&] { return m.screens()->size() == 2; }));
    settle();
    EXPECT_EQ(panels(true), (std::set<std::uint32_t>{idA(), b}));
    int visible = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        visible += (qobject_cast<x11::OverlayPanel*>(w) && w->isVisible()) ? 1 : 0;
    }
    EXPECT_EQ(visible, 2) << "old panels are hidden";

    m.guides().clear(); // leaves a message up for a while
    platform.clock.advance(Messages::toastDuration);
    settle();
    panels(false);
}

} // namespace
} // namespace spanlet::test
