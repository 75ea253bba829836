#include <chrono>
#include <cstdint>
#include <xcb/xtest.h>

#include "OverlayDesk.hpp"
#include "support/X11Env.hpp"

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
    platform.capture.latency = 5ms; // of the model's (virtual) time
    const draw::DrawList before = overlays->drawList(idB());
    // The real pointer moved as a device moves it (a warp is not pushed): the move, pushed to
    // the model, starts a capture.
    const QPoint to = device(idB(), {400, 350});
    xcb_connection_t* c = qtConnection();
    xcb_test_fake_input(c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, XCB_WINDOW_NONE,
                        static_cast<std::int16_t>(to.x()), static_cast<std::int16_t>(to.y()), 0);
    xcb_flush(c);
    ASSERT_TRUE(waitUntil([&] {
        return m.tracking().pointer()->x == global(idB(), {400, 350}).x;
    }));
    ASSERT_TRUE(m.tracking().capturing());
    settle();
    EXPECT_EQ(overlays->drawList(idB()), before) << "painted before the capture landed";
    platform.clock.advance(5ms);
    ASSERT_FALSE(m.tracking().capturing());
    ASSERT_TRUE(waitUntil([&] { return overlays->drawList(idB()) != before; }, 1s));
    EXPECT_EQ(m.tracking().live()->pointerX, global(idB(), {400, 350}).x);
}

} // namespace
} // namespace spanlet::test
