#include "X11Env.hpp"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

#include "Processes.hpp"

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

bool compositorRunning(xcb_connection_t* c) {
    const auto atom =
        reply(xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 13, "_NET_WM_CM_S0"), nullptr));
    if (!atom) {
        return false;
    }
    const auto owner =
        reply(xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
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
    const pid_t pid = spawn(argv, fd);
    close(fd);
    int status = 0;
    const bool ended = pid > 0 && waitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; });
    if (pid > 0 && !ended) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    std::optional<std::string> text;
    if (ended && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        std::ifstream in(name, std::ios::binary);
        text = std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::remove(name);
    return text;
}

std::optional<std::string> clipboardText() {
    return output({"xclip", "-o", "-selection", "clipboard"});
}

} // namespace spanlet::test
