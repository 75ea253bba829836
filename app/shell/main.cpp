// Spanlet: a screen-measuring tool that lives in the system tray.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
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
    "spanlet: no display server to run on (needs a Wayland compositor or an X11 display)";

/// How long a second start waits for the running Spanlet to take its request.
constexpr std::chrono::seconds kHandOverWait{5};
/// How much longer it waits for the answer to a request read just before that wait was over;
/// the instance drops one it reads later.
constexpr std::chrono::milliseconds kAnswerGrace{250};

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

/// Hands `request` to the running Spanlet, or becomes it: the exit status, or nothing when
/// `lock` holds the lock now and `listener` listens at the socket. The socket decides: a live
/// instance answers there whatever became of its lock file, and the lock is taken only when
/// none answers. While an instance is starting, ending or too busy for one more connection,
/// both are tried again until the wait is over.
std::optional<int> handOverOrTakeOver(const spanlet::SingleInstancePlace& place,
                                      std::optional<spanlet::SingleInstanceLock>& lock,
                                      int& listener, const Request& request) {
    using spanlet::SingleInstanceClient::Answer;
    using State = spanlet::SingleInstanceLock::State;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + kHandOverWait;
    // The instance drops the line once this start has given up on it.
    const std::string line = request.encode(deadline.time_since_epoch());
    std::chrono::milliseconds connectWait{0};
    for (;;) {
        const Answer answer = spanlet::SingleInstanceClient::send(
            place.socketFile, line, connectWait, deadline + kAnswerGrace);
        if (answer == Answer::accepted) {
            return 0;
        }
        if (answer == Answer::noAnswer || Clock::now() >= deadline) {
            const pid_t holder = spanlet::SingleInstanceLock::holder(place.lockFile);
            printLine(stderr, "spanlet: Spanlet is already running (pid " +
                                  (holder > 0 ? std::to_string(holder) : std::string("unknown")) +
                                  ") but did not answer");
            return 1;
        }
        connectWait = std::chrono::milliseconds(100);
        lock.emplace(place.lockFile);
        if (lock->state() == State::failed) {
            printLine(stderr, "spanlet: cannot take the single-instance lock " +
                                  place.lockFile.string() + ": " +
                                  std::strerror(lock->error())); // NOLINT(concurrency-mt-unsafe)
            return 1;
        }
        if (lock->state() == State::held) {
            if (request.kind == Request::Kind::quit) {
                return 0; // none runs
            }
            const auto listening = spanlet::SingleInstance::listen(place.socketFile);
            if (listening.fd >= 0) {
                listener = listening.fd;
                return std::nullopt;
            }
            if (!listening.taken) {
                printLine(stderr, listening.error);
                return 1;
            }
            // A live instance whose lock file went: it answers at the next try.
            lock.reset();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
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

    // One Spanlet per user and display: the one that answers on the socket (and holds the lock
    // beside it); a later start hands its request over before it makes an application or
    // touches grabs or settings.
    // Keyed by the X display where there is one (as before Wayland was supported), otherwise
    // by the Wayland display.
    const char* display = environment("DISPLAY");
    if (display == nullptr || *display == '\0') {
        display = environment("WAYLAND_DISPLAY");
    }
    const char* runtimeDir = environment("XDG_RUNTIME_DIR");
    const char* tempDir = environment("TMPDIR");
    const auto place =
        spanlet::SingleInstancePlace::find(runtimeDir, tempDir, display != nullptr ? display : "");
    if (!place) {
        printLine(stderr, std::string("spanlet: no private folder for the single-instance socket: "
                                      "XDG_RUNTIME_DIR is not one of this user's, and none can be "
                                      "made in ") +
                              (tempDir != nullptr && tempDir[0] == '/' ? tempDir : "/tmp"));
        return 1;
    }
    std::optional<spanlet::SingleInstanceLock> lock;
    int listener = -1;
    if (const auto status = handOverOrTakeOver(*place, lock, listener, invocation.request)) {
        return *status;
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

    // It listens already: requests wait in the socket's queue until the event loop runs.
    auto channel = std::make_unique<spanlet::SingleInstance>(*lock, place->socketFile, listener);
    spanlet::SpanletApp spanlet({
        .updateFeed = QUrl(QString::fromUtf8(spanlet::BuildInfo::updateFeed)),
    });
    channel->setOnRequest([&spanlet](const Request& request) { carryOut(spanlet, request); });
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
