#include <chrono>
#include <string>

#include "OverlayDesk.hpp"

namespace spanlet::test {
namespace {

using namespace std::chrono_literals;

/// A pointer move starts a capture; the panel paints the move once, with the capture's result,
/// and never waits long for it.
class CoalescedRepaintTest : public OverlayDesk {
protected:
    /// Snapping on over display B, the first measurement painted; captures then take
    /// `latency` of the model's (virtual) time, and repaints wait `wait` (real time) for them.
    Mensor& snapping(std::chrono::milliseconds latency, std::chrono::milliseconds wait) {
        overlays->setCaptureWait(wait);
        Mensor& m = start();
        pointTo(idB(), {300, 300});
        m.enableSnapping();
        platform.clock.advance(50ms);
        settle();
        EXPECT_TRUE(m.live()->has_value());
        platform.capture.latency = latency;
        return m;
    }

    /// Moves the real pointer and lets one pointer-task tick read it and start a capture.
    void moveAndTick(Point local) {
        const QPoint p = device(idB(), local);
        ASSERT_TRUE(xdotool({"mousemove", std::to_string(p.x()), std::to_string(p.y())}));
        ASSERT_TRUE(waitUntil(
            [&] { return std::abs(displays->pointerLocation().x - global(idB(), local).x) < 1; }));
        platform.clock.advance(Mensor::pointerPeriod);
    }
};

TEST_F(CoalescedRepaintTest, AMoveIsPaintedOnceItsCaptureLands) {
    Mensor& m = snapping(5ms, 1h);
    const draw::DrawList before = panel(idB())->drawList();
    moveAndTick({400, 350});
    ASSERT_TRUE(m.capturing());
    settle();
    EXPECT_EQ(panel(idB())->drawList(), before) << "painted before the capture landed";

    platform.clock.advance(5ms);
    ASSERT_FALSE(m.capturing());
    ASSERT_TRUE(waitUntil([&] { return panel(idB())->drawList() != before; }, 1s));
    EXPECT_EQ((*m.live())->pointerX, global(idB(), {400, 350}).x);
}

TEST_F(CoalescedRepaintTest, ASlowCaptureDoesNotHoldTheMoveBack) {
    Mensor& m = snapping(10s, 20ms);
    const draw::DrawList before = panel(idB())->drawList();
    moveAndTick({400, 350});
    ASSERT_TRUE(m.capturing());
    EXPECT_TRUE(waitUntil([&] { return panel(idB())->drawList() != before; }, 1s));
    EXPECT_TRUE(m.capturing());
}

} // namespace
} // namespace spanlet::test
