#include <gtest/gtest.h>

#include <spanlet/wayland/Outputs.hpp>
#include <spanlet/wayland/OverlaySurface.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>

#include "support/PointerDriver.hpp"
#include "support/SwaySession.hpp"
#include "support/TestSurface.hpp"

namespace spanlet::test {
namespace {

using wayland::OverlaySurface;
using wayland::WaylandConnection;
using OverlayInput = SwayTest;

// The overlay lets the pointer through to what is below it until it takes input, and then
// takes it.
TEST_F(OverlayInput, followsTheMode) {
    PointerDriver driver;
    ASSERT_TRUE(driver.ok());
    auto c = WaylandConnection::connect();
    ASSERT_TRUE(c);
    wl_output* output = c->outputs().output(c->outputs().screens().at(0).id);
    TestSurface below(*c, output, 0xFF004000, true);
    OverlaySurface overlay(*c, output, 1);
    ASSERT_TRUE(c->dispatchUntil([&] { return overlay.configured() && below.mapped(); }));

    const bool modes[] = {false, true, false};
    double x = 100;
    for (const bool take : modes) {
        overlay.takeInput(take);
        c->roundtrip();
        ASSERT_TRUE(driver.move(x += 10, 100));
        ASSERT_TRUE(c->dispatchUntil([&] { return below.pointer().has_value() == !take; }))
            << "taking input: " << take;
    }
}

} // namespace
} // namespace spanlet::test
