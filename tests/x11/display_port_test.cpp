#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <xcb/randr.h>
#include <xcb/xtest.h>

#include <spanlet/x11/SideConnection.hpp>
#include <spanlet/x11/X11DisplayPort.hpp>

#include "support/Processes.hpp"
#include "support/Scene.hpp"
#include "support/X11Env.hpp"

namespace spanlet {
namespace {

using test::qtConnection;
using test::reply;

xcb_window_t rootWindow() {
    return xcb_setup_roots_iterator(xcb_get_setup(qtConnection())).data->root;
}

// The output of the one RandR monitor that has one, read independently of the code under test.
std::uint32_t monitorOutput() {
    xcb_connection_t* c = qtConnection();
    const auto monitors =
        reply(xcb_randr_get_monitors_reply(c, xcb_randr_get_monitors(c, rootWindow(), 1), nullptr));
    for (auto it = xcb_randr_get_monitors_monitors_iterator(monitors.get()); it.rem;
         xcb_randr_monitor_info_next(&it)) {
        if (xcb_randr_monitor_info_outputs_length(it.data) > 0) {
            return xcb_randr_monitor_info_outputs(it.data)[0];
        }
    }
    return 0;
}

std::uint32_t atom(const char* name) {
    xcb_connection_t* c = qtConnection();
    const auto r = reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 1, std::uint16_t(std::strlen(name)), name), nullptr));
    return r ? r->atom : 0;
}

TEST(X11DisplayPort, ListsBothMonitorsPrimaryFirstWithIdsFramesAndScales) {
    const std::vector<ScreenInfo> screens = X11DisplayPort().currentScreens();
    ASSERT_EQ(screens.size(), 2u);
    // A: output "screen" gives the id; scale 2 halves its size in points. Primary height 400.
    EXPECT_EQ(screens[0].id, monitorOutput());
    EXPECT_EQ(screens[0].frame, (Rect{0, 0, 576, 400}));
    EXPECT_EQ(screens[0].scale.factor(), 2.0);
    // B has no output: its name atom is the id. Its top-left stays at its device position.
    EXPECT_EQ(screens[1].id, atom("B"));
    EXPECT_EQ(screens[1].cocoaFrame, (Rect{1152, -400, 1152, 800}));
    EXPECT_EQ(screens[1].scale.factor(), 1.0);
}

TEST(X11DisplayPort, PointerLocationIsExactInPoints) {
    const X11DisplayPort port;
    const struct {
        const char* name;
        std::int16_t x; // device pixels
        std::int16_t y;
        Point expected;
    } cases[] = {
        {"scale 2, inside", 101, 51, {50.5, 25.5}},
        // Logical x 576 to 1152 belongs to no display; the next device pixel jumps the gap.
        {"scale 1, first pixel after the gap", 1152, 0, {1152, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        xcb_warp_pointer(qtConnection(), XCB_WINDOW_NONE, rootWindow(), 0, 0, 0, 0, c.x, c.y);
        // The warp has happened before the port asks, on a connection of its own.
        std::free(xcb_get_input_focus_reply(qtConnection(), xcb_get_input_focus(qtConnection()),
                                            nullptr));
        EXPECT_EQ(port.pointerLocation(), c.expected);
    }
}

// Moves the pointer as a device does (XTest), unlike a warp, to device pixel (x, y).
void moveDevice(std::int16_t x, std::int16_t y) {
    xcb_connection_t* c = qtConnection();
    xcb_test_fake_input(c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, rootWindow(), x, y, 0);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

// A device's move is pushed, in points; a still pointer pushes nothing. A round trip on the
// port's own connection brings in any motion the server sent before it.
TEST(X11DisplayPort, WatchedPointerMovesArePushedAndNothingElse) {
    x11::SideConnection side;
    X11DisplayPort port(side);
    std::vector<Point> pushed;
    const auto quiet = [&] {
        side.sync();
        test::settle();
        return pushed.empty();
    };
    moveDevice(1500, 300);
    port.setPointerHandler([&](Point p) { pushed.push_back(p); });
    ASSERT_TRUE(test::waitUntil([&] { return !pushed.empty(); })); // where it is when watched
    EXPECT_EQ(pushed.back(), (Point{1500, 300}));
    pushed.clear();
    EXPECT_TRUE(quiet());

    moveDevice(101, 51);
    ASSERT_TRUE(test::waitUntil([&] { return !pushed.empty(); }));
    EXPECT_EQ(pushed, (std::vector<Point>{{50.5, 25.5}}));
}

TEST(X11DisplayPort, RemovingAndAddingAMonitorEachNotifyOnce) {
    X11DisplayPort port;
    int calls = 0;
    port.setScreensChangedHandler([&] { ++calls; });
    const std::vector<std::string> remove{"xrandr", "--delmonitor", "B"};
    const std::vector<std::string> add{"xrandr", "--setmonitor", "B", "1152/300x800/300+1152+0",
                                       "none"};
    // Both steps always run, so the desktop is whole again for what runs next.
    for (const auto& [change, screens] : {std::pair{remove, 1U}, std::pair{add, 2U}}) {
        SCOPED_TRACE(change[1]);
        calls = 0;
        EXPECT_EQ(test::run(change), 0);
        EXPECT_TRUE(test::waitUntil([&] { return calls > 0; }));
        test::settle();
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(port.currentScreens().size(), screens);
    }
}

} // namespace
} // namespace spanlet
