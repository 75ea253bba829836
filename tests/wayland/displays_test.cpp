#include <gtest/gtest.h>

#include <spanlet/wayland/OutputLayout.hpp>
#include <spanlet/wayland/Outputs.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>
#include <spanlet/wayland/WaylandDisplayPort.hpp>

#include "support/SwaySession.hpp"

namespace spanlet::test {
namespace {

using wayland::WaylandConnection;
using wayland::WaylandDisplayPort;

// The display list follows the compositor: scale changes, an output plugged in, and the ids
// stay with the connectors.
using WaylandDisplays = SwayTest;

TEST_F(WaylandDisplays, followScaleChangesAndNewOutputs) {
    auto c = WaylandConnection::connect();
    ASSERT_TRUE(c);
    EXPECT_TRUE(wayland::offersWlrootsProtocols(c->globals()));
    WaylandDisplayPort port(*c);
    int changes = 0;
    port.setScreensChangedHandler([&] { ++changes; });
    const std::uint32_t first = OutputLayout::idForName("HEADLESS-1");
    const std::uint32_t second = OutputLayout::idForName("HEADLESS-2");

    struct Screen {
        std::uint32_t id;
        Rect frame;
        double scale;
    };
    struct Step {
        std::vector<std::string> command;
        std::vector<Screen> expected;
    };
    const auto screen = [](std::uint32_t id, Rect frame, double scale) {
        return Screen{id, frame, scale};
    };
    const Step steps[] = {
        {{}, {screen(first, {0, 0, 1280, 800}, 1)}},
        {{"output", "HEADLESS-1", "scale", "2"}, {screen(first, {0, 0, 640, 400}, 2)}},
        {{"output", "HEADLESS-1", "scale", "1.25"}, {screen(first, {0, 0, 1024, 640}, 1.25)}},
        {{"create_output"},
         {screen(first, {0, 0, 1024, 640}, 1.25), screen(second, {1024, 0, 1920, 1080}, 1)}},
        {{"output", "HEADLESS-2", "position", "0", "0", ",", "output", "HEADLESS-1", "position",
          "1920", "0"},
         {screen(second, {0, 0, 1920, 1080}, 1), screen(first, {1920, 0, 1024, 640}, 1.25)}},
    };
    for (const Step& step : steps) {
        const int before = changes;
        if (!step.command.empty()) {
            ASSERT_TRUE(sway.swaymsg(step.command));
            ASSERT_TRUE(c->dispatchUntil([&] { return changes > before; }));
            c->roundtrip();
        }
        const std::vector<ScreenInfo> screens = port.currentScreens();
        ASSERT_EQ(screens.size(), step.expected.size());
        for (std::size_t i = 0; i < screens.size(); ++i) {
            EXPECT_EQ(screens[i].id, step.expected[i].id) << i;
            EXPECT_EQ(screens[i].frame, step.expected[i].frame) << i;
            EXPECT_EQ(screens[i].scale.factor(), step.expected[i].scale) << i;
        }
    }
}

// An output unplugged leaves the list, and the rest keep their ids. A nested sway's outputs are
// windows of the headless one, and closing such a window unplugs its output.
TEST_F(WaylandDisplays, dropAnOutputThatIsUnplugged) {
    SwaySession nested("", &sway);
    ASSERT_TRUE(nested.ok());
    ASSERT_TRUE(nested.swaymsg({"create_output"}));
    auto c = WaylandConnection::connect();
    ASSERT_TRUE(c);
    ASSERT_TRUE(c->dispatchUntil([&] { return c->outputs().screens().size() == 2; }));
    WaylandDisplayPort port(*c);
    int changes = 0;
    port.setScreensChangedHandler([&] { ++changes; });
    const std::uint32_t kept = OutputLayout::idForName("WL-1");

    ASSERT_TRUE(sway.swaymsg({"[title=\"wlroots - WL-2\"]", "kill"}));
    ASSERT_TRUE(c->dispatchUntil([&] { return port.currentScreens().size() == 1; }));
    EXPECT_GE(changes, 1);
    EXPECT_EQ(port.currentScreens()[0].id, kept);
}

} // namespace
} // namespace spanlet::test
