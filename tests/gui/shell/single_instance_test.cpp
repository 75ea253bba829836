// The built spanlet started twice: the second hands over to the first and ends; quitting the
// first leaves no socket behind.
#include <csignal>
#include <gtest/gtest.h>

#include "ShellSupport.hpp"

namespace spanlet::test {
namespace {

bool windowNamed(const std::string& name) {
    const auto found = output({"xdotool", "search", "--name", name});
    return found && !found->empty();
}

TEST(SingleInstanceTest, SecondLaunchHandsOverAndQuitLeavesNothing) {
    // With a tray host the first instance opens no window of its own (without one it would open
    // the welcome window as its fallback), so the welcome window below comes from the hand-over.
    TrayHost tray;
    ASSERT_TRUE(tray.ok());
    TempDir config;
    TempDir runtime;
    storePrefs(config.path() / "spanlet", welcomedPrefs());
    const std::vector<std::string> spanlet{"env", "XDG_CONFIG_HOME=" + config.path().string(),
                                           "XDG_RUNTIME_DIR=" + runtime.path().string(),
                                           SPANLET_BINARY};
    Background first(spanlet);
    ASSERT_TRUE(waitUntil([&] { return !std::filesystem::is_empty(runtime.path()); }));
    // Start-up is past its key grabs once the overlay panels are there.
    ASSERT_TRUE(waitUntil([] { return windowNamed("Spanlet Overlay"); }, std::chrono::seconds(30)));
    EXPECT_FALSE(windowNamed("Welcome to Spanlet"));
    xdotool({"key", "--clearmodifiers", "ctrl+shift+r"});
    EXPECT_TRUE(waitUntil([] { return windowNamed("^Ruler$"); })) << "its global shortcut works";

    std::vector<std::string> second{"timeout", "20"};
    second.insert(second.end(), spanlet.begin(), spanlet.end());
    EXPECT_EQ(run(second), 0);
    EXPECT_TRUE(waitUntil([] { return windowNamed("Welcome to Spanlet"); }));
    EXPECT_EQ(kill(first.pid(), 0), 0) << "the first one still runs";

    first.stop(); // SIGTERM: an orderly quit
    EXPECT_TRUE(std::filesystem::is_empty(runtime.path())) << "no socket left";
}

} // namespace
} // namespace spanlet::test
