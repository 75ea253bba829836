#include <gtest/gtest.h>

#include <spanlet/wayland/Outputs.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>

#include "support/PointerDriver.hpp"
#include "support/SwaySession.hpp"
#include "support/TestSurface.hpp"

namespace spanlet::test {
namespace {

using wayland::WaylandConnection;

// The driver puts the pointer where it is told, on either of two outputs, one at scale 2, and
// its clicks arrive.
using VirtualPointer = SwayTest;

TEST_F(VirtualPointer, movesToAbsolutePositionsAndClicks) {
    ASSERT_TRUE(sway.swaymsg({"output", "HEADLESS-1", "scale", "2"}));
    ASSERT_TRUE(sway.swaymsg({"create_output"}));
    PointerDriver driver;
    ASSERT_TRUE(driver.ok());
    auto c = WaylandConnection::connect();
    ASSERT_TRUE(c);
    ASSERT_EQ(c->outputs().screens().size(), 2U);
    const ScreenInfo left = c->outputs().screens()[0];
    const ScreenInfo right = c->outputs().screens()[1];
    TestSurface onLeft(*c, c->outputs().output(left.id), 0x20000000);
    TestSurface onRight(*c, c->outputs().output(right.id), 0x20000000);
    ASSERT_TRUE(onLeft.mapped() && onRight.mapped());

    struct Case {
        Point global;
        const TestSurface* surface;
        Point local;
    };
    const Case cases[] = {
        {{10, 20}, &onLeft, {10, 20}},
        {{320.5, 199.25}, &onLeft, {320.5, 199.25}},
        {{right.frame.x + 5, 7}, &onRight, {5, 7}},
    };
    for (const Case& k : cases) {
        ASSERT_TRUE(driver.move(k.global.x, k.global.y));
        ASSERT_TRUE(c->dispatchUntil([&] {
            return k.surface->pointer() && k.surface->pointer()->x == k.local.x &&
                   k.surface->pointer()->y == k.local.y;
        })) << "at "
            << k.global.x << ", " << k.global.y;
    }
    ASSERT_TRUE(driver.click());
    EXPECT_TRUE(c->dispatchUntil([&] { return onRight.clicks() == 1; }));
}

} // namespace
} // namespace spanlet::test
