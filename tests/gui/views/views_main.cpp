// Test main for the tool views: an Xvfb of its own (for real windows, keys and the clipboard
// read back with xclip), a fresh XDG_CONFIG_HOME and runtime folder, and a QApplication on it.
// Listing the tests needs none of that.
#include <QApplication>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string_view>
#include <unistd.h>

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
    spanlet::test::Xvfb xvfb("1280x1024x24");
    if (!xvfb.ok()) {
        std::fputs("views tests: Xvfb did not start\n", stderr);
        return 1;
    }
    char folderTemplate[] = "/tmp/spanlet-views-XXXXXX";
    const char* folder = mkdtemp(folderTemplate);
    if (folder == nullptr) {
        return 1;
    }
    const std::filesystem::path root(folder);
    std::filesystem::create_directories(root / "runtime");
    std::filesystem::create_directories(root / "config");
    std::filesystem::permissions(root / "runtime", std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("DISPLAY", xvfb.display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    unsetenv("QT_SCREEN_SCALE_FACTORS");
    unsetenv("WAYLAND_DISPLAY");
    int result = 0;
    {
        QApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    std::filesystem::remove_all(root);
    return result;
}
