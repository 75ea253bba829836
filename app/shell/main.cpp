// Spanlet: a screen-measuring tool that lives in the system tray.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/shell/Backends.hpp>
#include <spanlet/shell/BuildInfo.hpp>
#include <spanlet/shell/CommandLine.hpp>
#include <spanlet/shell/QuitOnSignal.hpp>
#include <spanlet/shell/SingleInstance.hpp>
#include <spanlet/shell/SingleInstanceClient.hpp>
#include <spanlet/shell/SingleInstanceLock.hpp>
#include <spanlet/shell/SingleInstancePlace.hpp>
#include <spanlet/shell/SpanletApp.hpp>

namespace {

using spanlet::CommandLine::Request;

/// Said when the session offers nothing Spanlet can run on.
constexpr const char* noDisplayServer =
    "spanlet: no display server to run on (needs a Wayland compositor with layer shell and "
    "screencopy, or an X11 display)";

/// How long a second start waits for the running Spanlet to take its request.
constexpr std::chrono::seconds kHandOverWait{5};

void carryOut(spanlet::SpanletApp& app, const Request& request) {
    switch (request.kind) {
    case Request::Kind::comeForward:
        app.openWindow(spanlet::Windows::Kind::welcome);
        break;
    case Request::Kind::command:
        app.model().perform(request.command);
        break;
    case Request::Kind::show:
        app.openWindow(request.window);
        break;
    case Request::Kind::quit:
        app.quit();
        break;
    }
}

void printLine(std::FILE* stream, const std::string& line) {
    std::fputs((line + "\n").c_str(), stream);
}

/// Hands `request` to the holder of `lock`: the exit status, or nothing when the lock came free
/// meanwhile and `lock` now holds it. While the holder is starting or ending, the lock is
/// looked at again until the wait is over.
std::optional<int> handOver(const spanlet::SingleInstancePlace& place,
                            std::optional<spanlet::SingleInstanceLock>& lock,
                            const Request& request) {
    using spanlet::SingleInstanceClient::Answer;
    const auto deadline = std::chrono::steady_clock::now() + kHandOverWait;
    while (lock->state() == spanlet::SingleInstanceLock::State::busy) {
        const Answer answer = spanlet::SingleInstanceClient::send(
            place.socketFile, request.encode(), std::chrono::milliseconds(100), kHandOverWait);
        if (answer == Answer::accepted) {
            return 0;
        }
        if (answer == Answer::noAnswer || std::chrono::steady_clock::now() >= deadline) {
            const pid_t holder = lock->holder();
            printLine(stderr, "spanlet: Spanlet is already running (pid " +
                                  (holder > 0 ? std::to_string(holder) : std::string("unknown")) +
                                  ") but did not answer");
            return 1;
        }
        lock.emplace(place.lockFile);
    }
    return std::nullopt;
}

const char* environment(const char* name) {
    return std::getenv(name); // NOLINT(concurrency-mt-unsafe): read before any thread starts
}

} // namespace

int main(int argc, char** argv) {
    namespace CommandLine = spanlet::CommandLine;
    const CommandLine::Invocation invocation =
        CommandLine::parse(std::vector<std::string_view>(argv + 1, argv + argc));
    switch (invocation.action) {
    case CommandLine::Invocation::Action::fail:
        printLine(stderr, invocation.error);
        return 2;
    case CommandLine::Invocation::Action::printHelp:
        std::fputs(CommandLine::help().c_str(), stdout);
        return 0;
    case CommandLine::Invocation::Action::printVersion:
        printLine(stdout, std::string("spanlet ") + spanlet::BuildInfo::version);
        return 0;
    case CommandLine::Invocation::Action::request:
        break;
    }

    // One Spanlet per user and display: whoever holds the lock is it and owns the socket; a
    // later start hands its request over before it makes an application or touches grabs or
    // settings.
    // Keyed by the X display where there is one (as before Wayland was supported), otherwise
    // by the Wayland display.
    const char* display = environment("DISPLAY");
    if (display == nullptr || *display == '\0') {
        display = environment("WAYLAND_DISPLAY");
    }
    const auto place = spanlet::SingleInstancePlace::find(
        environment("XDG_RUNTIME_DIR"), environment("TMPDIR"), display != nullptr ? display : "");
    std::optional<spanlet::SingleInstanceLock> lock;
    if (place) {
        lock.emplace(place->lockFile);
    }
    if (lock && lock->state() == spanlet::SingleInstanceLock::State::busy) {
        if (const auto status = handOver(*place, lock, invocation.request)) {
            return *status;
        }
    }
    if (!lock || lock->state() != spanlet::SingleInstanceLock::State::held) {
        printLine(stderr, "spanlet: no private folder for the single-instance lock; a second "
                          "Spanlet may start");
    }
    if (invocation.request.kind == Request::Kind::quit) {
        return 0; // none runs
    }

    // Qt runs on the platform of the back end this session gets, whatever was inherited.
    const spanlet::SessionPlatform session = spanlet::qtPlatformForSession();
    if (session.qtPlatform == nullptr) {
        printLine(stderr, session.problem.empty() ? noDisplayServer : session.problem);
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", session.qtPlatform);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Spanlet"));
    QApplication::setApplicationVersion(QString::fromUtf8(spanlet::BuildInfo::version));
    QApplication::setDesktopFileName(QStringLiteral("io.github.spanlet.Spanlet"));
    // A tray tool: closing its last window does not end it; only "Quit Spanlet" does.
    QApplication::setQuitOnLastWindowClosed(false);

    // Listen before anything else is made: requests wait in the socket's queue until the
    // event loop runs.
    std::unique_ptr<spanlet::SingleInstance> channel;
    if (lock && lock->state() == spanlet::SingleInstanceLock::State::held) {
        channel = std::make_unique<spanlet::SingleInstance>(place->socketFile);
    }
    spanlet::SpanletApp spanlet({
        .updateFeed = QUrl(QString::fromUtf8(spanlet::BuildInfo::updateFeed)),
    });
    if (channel) {
        channel->setOnRequest([&spanlet](const Request& request) { carryOut(spanlet, request); });
    }
    spanlet::QuitOnSignal quitOnSignal;
    spanlet.start();
    if (invocation.explicitRequest) {
        // None ran, so this one started; now it does what it was asked.
        carryOut(spanlet, invocation.request);
    }
    const int status = QApplication::exec();
    // Stop taking requests before the teardown, so a start meanwhile waits for the lock.
    channel.reset();
    return status;
}
