// Test main for the overlay GUI tests: an Xvfb of its own with two RandR monitors side by side,
// A (primary, scale 2) and B (scale 1), a fresh config folder, and a QApplication on that
// display. Listing the tests needs none of that.
#include <QApplication>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <string_view>

#include "support/Processes.hpp"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    // Listing (test discovery at build time) needs no X server; look before gtest eats the flag.
    bool listing = false;
    for (int i = 1; i < argc; ++i) {
        listing = listing || std::string_view(argv[i]).starts_with("--gtest_list_tests");
    }
    ::testing::InitGoogleTest(&argc, argv);
    if (listing) {
        return RUN_ALL_TESTS();
    }
    using spanlet::test::run;
    spanlet::test::Xvfb xvfb("2304x800x24");
    if (!xvfb.ok()) {
        std::fputs("overlay tests: Xvfb did not start\n", stderr);
        return 1;
    }
    char tempTemplate[] = "/tmp/spanlet-overlay-XXXXXX";
    const char* temp = mkdtemp(tempTemplate);
    if (!temp) {
        return 1;
    }
    const std::string config = std::string(temp) + "/config";
    std::filesystem::create_directories(config);
    setenv("XDG_RUNTIME_DIR", temp, 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("DISPLAY", xvfb.display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    setenv("QT_SCREEN_SCALE_FACTORS", "2;1", 1);
    unsetenv("WAYLAND_DISPLAY");
    if (run({"xrandr", "--setmonitor", "*A", "1152/300x800/300+0+0", "screen"}) != 0 ||
        run({"xrandr", "--setmonitor", "B", "1152/300x800/300+1152+0", "none"}) != 0) {
        std::fputs("overlay tests: xrandr --setmonitor failed\n", stderr);
        return 1;
    }
    int result = 0;
    {
        QApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    std::filesystem::remove_all(temp);
    return result;
}
