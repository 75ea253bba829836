#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <xcb/randr.h>

#include <spanlet/x11/X11DisplayPort.hpp>

#include "support/Processes.hpp"
#include "support/X11Env.hpp"

namespace spanlet {
namespace {

using test::qtConnection;
using test::run;
using test::settle;
using test::waitUntil;

xcb_window_t rootWindow() {
    return xcb_setup_roots_iterator(xcb_get_setup(qtConnection())).data->root;
}

// The XID of the output named `name`, read independently of the code under test.
std::uint32_t outputId(const char* name) {
    xcb_connection_t* c = qtConnection();
    auto* resources = xcb_randr_get_screen_resources_current_reply(
        c, xcb_randr_get_screen_resources_current(c, rootWindow()), nullptr);
    std::uint32_t id = 0;
    const xcb_randr_output_t* outputs = xcb_randr_get_screen_resources_current_outputs(resources);
    for (int i = 0; i < xcb_randr_get_screen_resources_current_outputs_length(resources); ++i) {
        auto* info = xcb_randr_get_output_info_reply(
            c, xcb_randr_get_output_info(c, outputs[i], resources->config_timestamp), nullptr);
        const std::size_t length = std::size_t(xcb_randr_get_output_info_name_length(info));
        if (length == std::strlen(name) &&
            std::memcmp(xcb_randr_get_output_info_name(info), name, length) == 0) {
            id = outputs[i];
        }
        std::free(info);
    }
    std::free(resources);
    return id;
}

std::uint32_t atom(const char* name) {
    xcb_connection_t* c = qtConnection();
    auto* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 1, std::uint16_t(std::strlen(name)), name), nullptr);
    const std::uint32_t a = reply ? reply->atom : 0;
    std::free(reply);
    return a;
}

TEST(X11DisplayPort, ListsBothMonitorsPrimaryFirstWithIdsFramesAndScales) {
    const X11DisplayPort port;
    const std::vector<ScreenInfo> screens = port.currentScreens();
    ASSERT_EQ(screens.size(), 2u);
    // A: output "screen" gives the id; scale 2 halves its size in points. Primary height 400.
    EXPECT_EQ(screens[0].id, outputId("screen"));
    EXPECT_EQ(screens[0].frame, (Rect{0, 0, 576, 400}));
    EXPECT_EQ(screens[0].cocoaFrame, (Rect{0, 0, 576, 400}));
    EXPECT_EQ(screens[0].scale.factor(), 2.0);
    // B has no output: its name atom is the id. Its top-left stays at its device position.
    EXPECT_EQ(screens[1].id, atom("B"));
    EXPECT_EQ(screens[1].frame, (Rect{1152, 0, 1152, 800}));
    EXPECT_EQ(screens[1].cocoaFrame, (Rect{1152, -400, 1152, 800}));
    EXPECT_EQ(screens[1].scale.factor(), 1.0);
    EXPECT_NE(screens[0].id, 0u);
    EXPECT_NE(screens[1].id, 0u);
}

struct PointerCase {
    const char* name;
    int deviceX;
    int deviceY;
    Point expected;
};

class PointerLocation : public ::testing::TestWithParam<PointerCase> {};

TEST_P(PointerLocation, IsExactInPoints) {
    const X11DisplayPort port;
    xcb_connection_t* c = qtConnection();
    xcb_warp_pointer(c, XCB_WINDOW_NONE, rootWindow(), 0, 0, 0, 0, std::int16_t(GetParam().deviceX),
                     std::int16_t(GetParam().deviceY));
    // A round trip, so the warp has happened before the port asks (on a connection of its own).
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    EXPECT_EQ(port.pointerLocation(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    X11DisplayPort, PointerLocation,
    ::testing::Values(PointerCase{"scale2_inside", 101, 51, {50.5, 25.5}},
                      PointerCase{"scale2_last_device_pixel", 1151, 799, {575.5, 399.5}},
                      // Logical x 576 to 1152 belongs to no display; the next device pixel
                      // jumps across the gap.
                      PointerCase{"scale1_first_pixel_after_the_gap", 1152, 0, {1152, 0}},

                      PointerCase{"scale1_last_device_pixel", 2303, 799, {2303, 799}}),
    [](const auto& row) { return std::string(row.param.name); });

// Each row changes the monitors with xrandr and counts the change notifications.
struct ChangeCase {
    const char* name;
    std::vector<std::vector<std::string>> prepare; // run and settled before counting
    std::vector<std::string> change;
    std::size_t screensAfter;
    std::vector<std::string> restore; // puts the desktop back for what runs next
};

class ScreensChanged : public ::testing::TestWithParam<ChangeCase> {
protected:
    void TearDown() override {
        if (!GetParam().restore.empty()) {
            run(GetParam().restore);
            settle();
        }
    }
};

TEST_P(ScreensChanged, FiresExactlyOnce) {
    X11DisplayPort port;
    int calls = 0;
    port.setScreensChangedHandler([&] { ++calls; });
    for (const auto& command : GetParam().prepare) {
        ASSERT_EQ(run(command), 0);
        ASSERT_TRUE(waitUntil([&] { return calls > 0; }));
        settle();
    }
    calls = 0;
    ASSERT_EQ(run(GetParam().change), 0);
    ASSERT_TRUE(waitUntil([&] { return calls > 0; }));
    settle();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(port.currentScreens().size(), GetParam().screensAfter);
}

INSTANTIATE_TEST_SUITE_P(X11DisplayPort, ScreensChanged,
                         ::testing::Values(ChangeCase{"monitor_removed",
                                                      {},
                                                      {"xrandr", "--delmonitor", "B"},
                                                      1,
                                                      {"xrandr", "--setmonitor", "B",
                                                       "1152/300x800/300+1152+0", "none"}},
                                           ChangeCase{"monitor_added",
                                                      {{"xrandr", "--delmonitor", "B"}},
                                                      {"xrandr", "--setmonitor", "B",
                                                       "1152/300x800/300+1152+0", "none"},
                                                      2,
                                                      {}}),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace spanlet
