// The permission as Plasma gives it, on a KWin that checks who asks for screenshots: refused at
// first, granted by the desktop entry grant() writes into $XDG_DATA_HOME/applications, then
// allowed by one Check Again at once, without a restart; an entry of the user's in the way is
// left alone. Prints what failed and exits 1; prints "allowed" when it passes.
// With "stalled" as its argument, on a KWin that serves it but does not answer (stopped): the
// check ends, saying not allowed; prints "not allowed".
#include <QCoreApplication>
#include <QDBusConnection>
#include <QEventLoop>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
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
    if (argc == 2 && std::string(argv[1]) == "stalled") {
        const CaptureAccess access = PlasmaPermission(QDBusConnection::sessionBus()).access();
        if (access.state == CaptureAccess::State::allowed) {
            return fail("allowed by a KWin that did not answer");
        }
        std::printf("not allowed\n");
        return 0;
    }
    // Only a file we wrote is replaced, whole.
    const QTemporaryDir folder;
    const std::string theirs = folder.filePath(QStringLiteral("theirs.desktop")).toStdString();
    std::ofstream(theirs) << "[Desktop Entry]\nExec=/usr/bin/true\n";
    const std::string entry = *PlasmaPermission::entryText("/opt/a b/spanlet");
    const std::string ours = folder.filePath(QStringLiteral("ours.desktop")).toStdString();
    if (PlasmaPermission::writeEntry(theirs, entry) || !PlasmaPermission::writeEntry(ours, entry) ||
        !PlasmaPermission::writeEntry(ours, entry) ||
        entry.find("\nExec=\"/opt/a b/spanlet\"\n") == std::string::npos) {
        return fail("a file not ours replaced, or ours not written: " + entry);
    }
    PlasmaPermission permission(QDBusConnection::sessionBus());
    // The check waits 300 ms for KWin, whose first answer on a busy machine can take longer; it
    // then says to try again, as a person would.
    CaptureAccess first = permission.access();
    for (int tries = 1; tries < 20 && first.state == CaptureAccess::State::unavailable; ++tries) {
        first = permission.access();
    }
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
    // Check Again at once, most likely before KWin has read the entry.
    QEventLoop loop;
    std::optional<bool> allowed;
    permission.checkAgain([&](bool yes) {
        allowed = yes;
        loop.quit();
    });
    if (!allowed) {
        loop.exec();
    }
    if (!*allowed) {
        return fail("still refused: " + permission.access().explanation);
    }
    std::printf("allowed\n");
    return 0;
}
