#include "TestMain.hpp"

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

namespace spanlet::test {

namespace {

// Starts Xvfb on `screen` into `server`; its display (":N"), or "" when it did not start. The
// server writes its display number and a newline once it accepts connections.
std::string startXvfb(Background& server, const std::string& screen) {
    int fds[2];
    if (pipe(fds) != 0) {
        return {};
    }
    server =
        Background({"Xvfb", "-displayfd", std::to_string(fds[1]), "-noreset", "-nolisten", "tcp",
                    "-screen", "0", screen, "+extension", "RANDR", "+extension", "Composite"},
                   fds[1]);
    close(fds[1]);
    std::string number;
    char c = 0;
    while (server.pid() > 0 && read(fds[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
    close(fds[0]);
    return number.empty() ? "" : ":" + number;
}

} // namespace

XSession::XSession(const XSessionOptions& options) {
    const std::string display = startXvfb(server_, options.screen);
    if (display.empty()) {
        std::fputs("Xvfb did not start\n", stderr);
        return;
    }
    char folderTemplate[] = "/tmp/spanlet-test-XXXXXX";
    if (mkdtemp(folderTemplate) == nullptr) {
        return;
    }
    folder_ = folderTemplate;
    const std::string config = folder_ + "/config";
    std::filesystem::create_directories(config);
    setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("DISPLAY", display.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("QT_SCREEN_SCALE_FACTORS");
    if (options.twoMonitors) {
        // SPANLET_TEST_SCALES ("1.5,1") runs the same tests at other scales.
        std::string scales = "2;1";
        if (const char* other = std::getenv("SPANLET_TEST_SCALES"); other != nullptr) {
            scales = other;
            std::replace(scales.begin(), scales.end(), ',', ';');
        }
        setenv("QT_SCREEN_SCALE_FACTORS", scales.c_str(), 1);
        if (run({"xrandr", "--setmonitor", "*A", "1152/300x800/300+0+0", "screen"}) != 0 ||
            run({"xrandr", "--setmonitor", "B", "1152/300x800/300+1152+0", "none"}) != 0) {
            std::fputs("xrandr --setmonitor failed\n", stderr);
            return;
        }
    }
    ok_ = true;
}

XSession::~XSession() {
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

bool initTests(int& argc, char** argv) {
    std::setlocale(LC_ALL, "");
    // Look before gtest eats the flag.
    bool listing = false;
    for (int i = 1; i < argc; ++i) {
        listing = listing || std::string_view(argv[i]).starts_with("--gtest_list_tests");
    }
    ::testing::InitGoogleTest(&argc, argv);
    return listing;
}

} // namespace spanlet::test
