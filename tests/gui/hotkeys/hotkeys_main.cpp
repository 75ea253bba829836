// Test main for the hot-key tests: starts an Xvfb of its own and a QGuiApplication on it, then
// runs the tests. Listing the tests needs none of that.
#include <QGuiApplication>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
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
    spanlet::test::Xvfb xvfb("1024x768x24");
    if (!xvfb.ok()) {
        std::fputs("hotkey tests: Xvfb did not start\n", stderr);
        return 1;
    }
    char runtimeTemplate[] = "/tmp/spanlet-hotkeys-XXXXXX";
    const char* runtime = mkdtemp(runtimeTemplate);
    if (!runtime) {
        return 1;
    }
    setenv("XDG_RUNTIME_DIR", runtime, 1);
    setenv("XDG_CONFIG_HOME", runtime, 1);
    setenv("DISPLAY", xvfb.display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    unsetenv("WAYLAND_DISPLAY");
    int result = 0;
    {
        QGuiApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    std::filesystem::remove_all(runtime);
    return result;
}
