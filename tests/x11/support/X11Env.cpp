#include "X11Env.hpp"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Processes.hpp"

extern char** environ;

namespace spanlet::test {

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeout.count()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void settle() {
    // A round trip on Qt's connection puts every event the server generated before it into
    // Qt's queue; a few passes of the loop handle those and whatever they queued in turn.
    xcb_connection_t* c = qtConnection();
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents();
    }
}

xcb_connection_t* qtConnection() {
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

std::string describe(const ScreenCapture::Error& error) {
    if (const auto* text = std::get_if<std::string>(&error.reason)) {
        return *text;
    }
    return std::get<ScreenCapture::Failure>(error.reason) == ScreenCapture::Failure::noDisplay
               ? "noDisplay"
               : "noImage";
}

bool xdotool(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return run(argv) == 0;
}

std::optional<std::string> output(const std::vector<std::string>& argv) {
    char name[] = "/tmp/spanlet-output-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) {
        return std::nullopt;
    }
    close(fd);
    const std::string file = name;
    struct Remove {
        const std::string& file;
        ~Remove() { std::remove(file.c_str()); }
    } remove{file};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return std::nullopt;
    }
    int status = 0;
    const bool ended = waitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; });
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return std::nullopt;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::optional<std::string> clipboardText() {
    return output({"xclip", "-o", "-selection", "clipboard"});
}

} // namespace spanlet::test
