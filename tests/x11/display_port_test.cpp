#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <xcb/randr.h>

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

void roundTrip() {
    xcb_connection_t* c = qtConnection();
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

// The XID of the output named `name`, read independently of the code under test.
std::uint32_t outputId(const char* name) {
    xcb_connection_t* c = qtConnection();
    const auto resources = reply(xcb_randr_get_screen_resources_current_reply(
        c, xcb_randr_get_screen_resources_current(c, rootWindow()), nullptr));
    const xcb_randr_output_t* outputs =
        xcb_randr_get_screen_resources_current_outputs(resources.get());
    for (int i = 0; i < xcb_randr_get_screen_resources_current_outputs_length(resources.get());
         ++i) {
        const auto info = reply(xcb_randr_get_output_info_reply(
            c, xcb_randr_get_output_info(c, outputs[i], resources->config_timestamp), nullptr));
        const auto length = std::size_t(xcb_randr_get_output_info_name_length(info.get()));
        if (length == std::strlen(name) &&
            std::memcmp(xcb_randr_get_output_info_name(info.get()), name, length) == 0) {
            return outputs[i];
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
    EXPECT_NE(screens[0].id, 0u);
    EXPECT_EQ(screens[0].id, outputId("screen"));
    EXPECT_EQ(screens[0].frame, (Rect{0, 0, 576, 400}));
    EXPECT_EQ(screens[0].cocoaFrame, (Rect{0, 0, 576, 400}));
    EXPECT_EQ(screens[0].scale.factor(), 2.0);
    // B has no output: its name atom is the id. Its top-left stays at its device position.
    EXPECT_NE(screens[1].id, 0u);
    EXPECT_EQ(screens[1].id, atom("B"));
    EXPECT_EQ(screens[1].frame, (Rect{1152, 0, 1152, 800}));
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
        roundTrip(); // the warp has happened before the port asks, on a connection of its own
        EXPECT_EQ(port.pointerLocation(), c.expected);
    }
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
