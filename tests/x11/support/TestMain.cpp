#include "TestMain.hpp"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "Processes.hpp"

namespace spanlet::test {

struct XSession::Server {
    explicit Server(const std::string& screen) : xvfb(screen) {}
    Xvfb xvfb;
};

XSession::XSession(const XSessionOptions& options)
    : server_(std::make_unique<Server>(options.screen)) {
    if (!server_->xvfb.ok()) {
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
    setenv("DISPLAY", server_->xvfb.display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("QT_SCREEN_SCALE_FACTORS");
    if (options.twoMonitors) {
        setenv("QT_SCREEN_SCALE_FACTORS", "2;1", 1);
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
