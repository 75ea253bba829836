// The portal tests run on a session bus of their own: a dbus-daemon with a configuration that
// activates nothing (the desktop's real portal must not answer), started before Qt connects to
// it, and widgets on Qt's offscreen platform.
#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "support/Processes.hpp"
#include "support/TestMain.hpp"

namespace {

/// Starts the bus into `daemon`; its address, or "" when it did not start. The daemon prints
/// its address once it accepts connections.
std::string startBus(spanlet::test::Background& daemon, const QString& folder) {
    const std::string config = (folder + QStringLiteral("/bus.conf")).toStdString();
    std::ofstream(config) << "<busconfig><type>session</type><listen>unix:dir="
                          << folder.toStdString()
                          << "</listen><policy context=\"default\"><allow send_destination=\"*\" "
                             "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                             "</policy></busconfig>\n";
    int fds[2];
    if (pipe(fds) != 0) {
        return {};
    }
    daemon = spanlet::test::Background({"dbus-daemon", "--config-file=" + config, "--nofork",
                                        "--nopidfile", "--print-address=" + std::to_string(fds[1])},
                                       fds[1]);
    close(fds[1]);
    std::string address;
    char c = 0;
    while (daemon.pid() > 0 && read(fds[0], &c, 1) == 1 && c != '\n') {
        address += c;
    }
    close(fds[0]);
    return address;
}

} // namespace

int main(int argc, char** argv) {
    if (spanlet::test::initTests(argc, argv)) {
        return RUN_ALL_TESTS();
    }
    QTemporaryDir folder;
    spanlet::test::Background daemon;
    const std::string address = startBus(daemon, folder.path());
    if (address.empty()) {
        std::fputs("portal tests: dbus-daemon did not start\n", stderr);
        return 1;
    }
    setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
