// The permission as Plasma gives it, on a KWin that checks who asks for screenshots: refused at
// first, granted by the desktop entry grant() writes into $XDG_DATA_HOME/applications, then
// allowed without a restart. Prints what failed and exits 1; prints "allowed" when it passes.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QStandardPaths>
#include <QThread>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <spanlet/kwin/PlasmaPermission.hpp>

using spanlet::CaptureAccess;
using spanlet::kwin::PlasmaPermission;

namespace {

int fail(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    const QCoreApplication app(argc, argv);
    PlasmaPermission permission(QDBusConnection::sessionBus());
    const CaptureAccess first = permission.access();
    if (first.state != CaptureAccess::State::grantable || first.action.empty() ||
        permission.preflight()) {
        return fail("not refused at first: " + first.explanation);
    }
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string path = PlasmaPermission::entryPath(
        QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation).toStdString(), exe);
    if (permission.grantQuestion().find(path) == std::string::npos) {
        return fail("the question does not name " + path + ": " + permission.grantQuestion());
    }
    permission.grant();
    std::ifstream in(path);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    if (text.find("\nExec=" + exe + "\n") == std::string::npos) {
        return fail("no entry naming " + exe + " in " + path + ": " + text);
    }
    // KWin reads the entries again on its own: ask until it answers yes.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!permission.preflight()) {
        if (std::chrono::steady_clock::now() > end) {
            return fail("still refused: " + permission.access().explanation);
        }
        QThread::msleep(100);
    }
    std::printf("allowed\n");
    return 0;
}
