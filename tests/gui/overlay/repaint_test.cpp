#include <chrono>
#include <string>

#include "OverlayDesk.hpp"

namespace spanlet::test {
namespace {

using namespace std::chrono_literals;

using CoalescedRepaintTest = OverlayDesk;

// A pointer move starts a capture; the panel paints the move once, with the capture's result.
TEST_F(CoalescedRepaintTest, AMoveIsPaintedOnceItsCaptureLands) {
    Mensor& m = start();
    pointTo(idB(), {300, 300});
    m.enableSnapping();
    platform.clock.advance(50ms);
    settle();
    ASSERT_TRUE(m.tracking().live().has_value());
    // Moves the real pointer and lets one pointer-task tick read it and start a capture.
    const auto moveAndTick = [&](Point local) {
        const QPoint p = device(idB(), local);
        ASSERT_TRUE(xdotool({"mousemove", std::to_string(p.x()), std::to_string(p.y())}));
        ASSERT_TRUE(waitUntil(
            [&] { return std::abs(displays->pointerLocation().x - global(idB(), local).x) < 1; }));
        platform.clock.advance(PointerTracking::pointerPeriod);
        ASSERT_TRUE(m.tracking().capturing());
    };

    platform.capture.latency = 5ms; // of the model's (virtual) time
    const draw::DrawList before = overlays->drawList(idB());
    moveAndTick({400, 350});
    settle();
    EXPECT_EQ(overlays->drawList(idB()), before) << "painted before the capture landed";
    platform.clock.advance(5ms);
    ASSERT_FALSE(m.tracking().capturing());
    ASSERT_TRUE(waitUntil([&] { return overlays->drawList(idB()) != before; }, 1s));
    EXPECT_EQ(m.tracking().live()->pointerX, global(idB(), {400, 350}).x);
}

} // namespace
} // namespace spanlet::test
