#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>

#include "support/Processes.hpp"
#include "support/TestMain.hpp"

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
    QApplication::setApplicationName(QStringLiteral("Spanlet"));
    QApplication::setApplicationVersion(QStringLiteral("1.4"));
    QApplication::setQuitOnLastWindowClosed(false);
    return spanlet::test::runXTests<QApplication>(
        argc, argv, {"1280x800x24"}, [](spanlet::test::XSession&) {
            // The bus writes into the runtime folder: it goes before the session does.
            auto accessibility = std::make_unique<AccessibilityBus>();
            if (wantsAccessibility() && !accessibility->start()) {
                std::fputs("shell tests: no session bus for the accessibility tests\n", stderr);
            }
            return accessibility;
        });
}
