#include <gtest/gtest.h>
#include <optional>
#include <vector>

#include <spanlet/wayland/Outputs.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>
#include <spanlet/wayland/WaylandDisplayPort.hpp>
#include <spanlet/wayland/WaylandPanelHost.hpp>

#include "support/InputDriver.hpp"
#include "support/SwaySession.hpp"

namespace spanlet::test {
namespace {

using wayland::WaylandConnection;
using PanelHostTest = SwayTest;

struct HeardInput final : PanelInput {
    std::optional<Point> moved;
    std::optional<Point> pressed;
    void pointerMoved(Point at) override { moved = at; }
    void buttonPressed(Point at, OverlayButton /*button*/) override { pressed = at; }
    void buttonReleased(Point /*at*/, OverlayButton /*button*/) override {}
    void pointerLeft() override {}
    void keyPressed(const OverlayKeyPress& /*key*/) override {}
};

// The panel shows at its frame on the output that holds the frame's centre, at that output's
// scale, painted whole; moved to another output it is made there. The pointer over it is in
// global points.
TEST_F(PanelHostTest, showsAtItsFrameOnTheOutputHoldingItsCentre) {
    ASSERT_TRUE(sway.swaymsg({"output", "HEADLESS-1", "scale", "2"}));
    ASSERT_TRUE(sway.swaymsg({"create_output"}));
    ASSERT_TRUE(sway.swaymsg({"output", "HEADLESS-2", "position", "640", "0"}));
    InputDriver driver;
    ASSERT_TRUE(driver.ok());
    auto c = WaylandConnection::connect();
    ASSERT_TRUE(c);
    ASSERT_TRUE(c->dispatchUntil([&] { return c->outputs().screens().size() == 2; }));
    wayland::WaylandDisplayPort displays(*c);
    wayland::WaylandPanelHost host(*c, displays);
    HeardInput input;
    std::vector<Rect> painted;
    host.bind([&](const OverlayCanvas& /*canvas*/,
                  std::span<const Rect> rects) { painted.assign(rects.begin(), rects.end()); },
              &input);

    host.place(Rect{100, 50, 200, 40});
    ASSERT_TRUE(c->dispatchUntil([&] { return host.surface()->configured(); }));
    EXPECT_EQ(host.surface()->width(), 400);
    EXPECT_EQ(host.surface()->height(), 80);
    EXPECT_EQ(painted, (std::vector<Rect>{{0, 0, 200, 40}}));
    ASSERT_TRUE(driver.move(150.5, 60));
    ASSERT_TRUE(c->dispatchUntil([&] { return input.moved == Point{150.5, 60}; }));

    // Its centre on the right output (scale 1), its corner still on the left one.
    host.place(Rect{600, 100, 200, 40});
    ASSERT_TRUE(c->dispatchUntil([&] { return host.surface()->configured(); }));
    EXPECT_EQ(host.surface()->width(), 200);
    ASSERT_TRUE(driver.move(700, 110));
    ASSERT_TRUE(c->dispatchUntil([&] { return input.moved == Point{700, 110}; }));
    ASSERT_TRUE(driver.click());
    ASSERT_TRUE(c->dispatchUntil([&] { return input.pressed == Point{700, 110}; }));
    EXPECT_EQ(displays.pointerLocation(), (Point{700, 110}));

    host.place(std::nullopt);
    EXPECT_EQ(host.surface(), nullptr);
}

} // namespace
} // namespace spanlet::test
