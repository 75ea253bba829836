#include <chrono>
#include <string>

#include "OverlayDesk.hpp"

namespace spanlet::test {
namespace {

using namespace std::chrono_literals;

using CoalescedRepaintTest = OverlayDesk;

// A pointer move starts a capture; the panel paints the move once, with the capture's result,
// and never waits long for it.
TEST_F(CoalescedRepaintTest, AMoveIsPaintedOnceItsCaptureLandsOrWhenItIsSlow) {
    overlays->setCaptureWait(1h);
    Mensor& m = start();
    pointTo(idB(), {300, 300});
    m.enableSnapping();
    platform.clock.advance(50ms);
    settle();
    ASSERT_TRUE(m.live()->has_value());
    // Moves the real pointer and lets one pointer-task tick read it and start a capture.
    const auto moveAndTick = [&](Point local) {
        const QPoint p = device(idB(), local);
        ASSERT_TRUE(xdotool({"mousemove", std::to_string(p.x()), std::to_string(p.y())}));
        ASSERT_TRUE(waitUntil(
            [&] { return std::abs(displays->pointerLocation().x - global(idB(), local).x) < 1; }));
        platform.clock.advance(Mensor::pointerPeriod);
        ASSERT_TRUE(m.capturing());
    };

    platform.capture.latency = 5ms; // of the model's (virtual) time
    draw::DrawList before = panel(idB())->drawList();
    moveAndTick({400, 350});
    settle();
    EXPECT_EQ(panel(idB())->drawList(), before) << "painted before the capture landed";
    platform.clock.advance(5ms);
    ASSERT_FALSE(m.capturing());
    ASSERT_TRUE(waitUntil([&] { return panel(idB())->drawList() != before; }, 1s));
    EXPECT_EQ((*m.live())->pointerX, global(idB(), {400, 350}).x);

    // A slow capture does not hold the move back beyond the (real-time) wait.
    overlays->setCaptureWait(20ms);
    platform.capture.latency = 10s;
    before = panel(idB())->drawList();
    moveAndTick({450, 380});
    EXPECT_TRUE(waitUntil([&] { return panel(idB())->drawList() != before; }, 1s));
    EXPECT_TRUE(m.capturing());
}

} // namespace
} // namespace spanlet::test
