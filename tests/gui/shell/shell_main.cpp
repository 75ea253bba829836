#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "support/Processes.hpp"
#include "support/TestMain.hpp"

namespace {

/// A private session bus with the accessibility bus launcher on it, for the tests that listen
/// to accessibility events: Qt's AT-SPI bridge switches on only when such a bus is there.
struct AccessibilityBus {
    spanlet::test::Background session;
    spanlet::test::Background launcher;

    bool start(const std::string& folder) {
        const std::string socket = folder + "/bus";
        session = spanlet::test::Background(
            {"dbus-daemon", "--session", "--nofork", "--address=unix:path=" + socket});
        for (int i = 0; i < 500 && !std::filesystem::exists(socket); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!std::filesystem::exists(socket)) {
            return false;
        }
        setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + socket).c_str(), 1);
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
    QApplication::setApplicationName(QStringLiteral("Spanlet"));
    QApplication::setApplicationVersion(QStringLiteral("1.4"));
    QApplication::setQuitOnLastWindowClosed(false);
    return spanlet::test::runXTests<QApplication>(
        argc, argv, {"1280x800x24"}, [](spanlet::test::XSession& x) {
            // The bus lives in the runtime folder: it goes before the session does.
            auto accessibility = std::make_unique<AccessibilityBus>();
            if (wantsAccessibility() && !accessibility->start(x.runtimeFolder())) {
                std::fputs("shell tests: no session bus for the accessibility tests\n", stderr);
            }
            return accessibility;
        });
}
