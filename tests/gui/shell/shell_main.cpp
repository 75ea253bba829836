// Test main for the shell's GUI tests: starts an Xvfb of its own and a QApplication on it, with
// fresh runtime and config folders, then runs the tests. Listing the tests needs none of that.
#include <QApplication>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <unistd.h>

#include "support/Processes.hpp"

namespace {

/// A private session bus with the accessibility bus launcher on it, for the tests that listen
/// to accessibility events: Qt's AT-SPI bridge switches on only when such a bus is there.
struct AccessibilityBus {
    spanlet::test::Background session;
    spanlet::test::Background launcher;

    bool start() {
        int fds[2];
        if (pipe(fds) != 0) {
            return false;
        }
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(fds[1], 1);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 2);
            close(fds[0]);
            execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--print-address=1",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        session = spanlet::test::Background::adopt(pid);
        std::string address;
        char c = 0;
        while (read(fds[0], &c, 1) == 1 && c != '\n') {
            address += c;
        }
        close(fds[0]);
        if (address.empty()) {
            return false;
        }
        setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
        setenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1", 1);
        launcher = spanlet::test::Background({"/usr/libexec/at-spi-bus-launcher"});
        return true;
    }
};

bool wantsAccessibility() {
    const std::string filter = ::testing::GTEST_FLAG(filter);
    return filter == "*" || filter.find("Announcer") != std::string::npos;
}

} // namespace

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
    spanlet::test::Xvfb xvfb("1280x800x24");
    if (!xvfb.ok()) {
        std::fputs("shell tests: Xvfb did not start\n", stderr);
        return 1;
    }
    char runtimeTemplate[] = "/tmp/spanlet-shell-XXXXXX";
    const char* runtime = mkdtemp(runtimeTemplate);
    if (!runtime) {
        return 1;
    }
    const std::filesystem::path config = std::filesystem::path(runtime) / "config";
    std::filesystem::create_directories(config);
    setenv("XDG_RUNTIME_DIR", runtime, 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("DISPLAY", xvfb.display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("QT_SCREEN_SCALE_FACTORS");
    int result = 0;
    {
        // The bus writes into the runtime folder: it must be gone before the folder is removed.
        AccessibilityBus accessibility;
        if (wantsAccessibility() && !accessibility.start()) {
            std::fputs("shell tests: no session bus for the accessibility tests\n", stderr);
        }
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Spanlet"));
        QApplication::setApplicationVersion(QStringLiteral("1.4"));
        QApplication::setQuitOnLastWindowClosed(false);
        result = RUN_ALL_TESTS();
    }
    std::error_code ignored;
    std::filesystem::remove_all(runtime, ignored);
    return result;
}
