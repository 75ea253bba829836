#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <spanlet/shell/QuitOnSignal.hpp>

namespace spanlet {

namespace {

constexpr int quitSignals[] = {SIGTERM, SIGINT, SIGHUP};
/// Seconds the event loop has to act on a quit before the signal takes its default effect.
constexpr unsigned graceSeconds = 2;

int pipeFds[2] = {-1, -1};
volatile std::sig_atomic_t loopRunning = 0;
volatile std::sig_atomic_t asked = 0; // the first quit signal, while the loop handles it

void dieBy(int signal) {
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

extern "C" void onSignal(int signal) {
    // Before the event loop runs (start-up may be busy) there is nothing to close in order,
    // and a second signal means the first was not acted on: either way the signal ends the
    // process at once, as it would without a handler. The X server drops the key grabs of a
    // client that is gone.
    if (loopRunning == 0 || asked != 0) {
        dieBy(signal);
        return;
    }
    asked = signal;
    ::alarm(graceSeconds);
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(pipeFds[1], &byte, 1);
}

extern "C" void onGraceOver(int) {
    dieBy(asked != 0 ? static_cast<int>(asked) : SIGTERM);
}

void handle(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

} // namespace

QuitOnSignal::QuitOnSignal() {
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return; // the signals keep their default effect
    }
    notifier_ = std::make_unique<QSocketNotifier>(pipeFds[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [] {
        char buffer[16];
        while (::read(pipeFds[0], buffer, sizeof buffer) > 0) {
        }
        // exit(), not quit(): quit() first asks every window to close, and the ruler panel
        // refuses its close (it hides the ruler instead), which would cancel the quit.
        QCoreApplication::exit(0);
    });
    // Fires once the event loop runs.
    auto* looping = new QTimer(this);
    looping->setSingleShot(true);
    connect(looping, &QTimer::timeout, this, [] { loopRunning = 1; });
    looping->start(0);
    handle(SIGALRM, onGraceOver);
    for (int signal : quitSignals) {
        handle(signal, onSignal);
    }
}

QuitOnSignal::~QuitOnSignal() {
    // A quit under way keeps its grace alarm: the tear-down after the loop is bounded too.
    for (int signal : quitSignals) {
        handle(signal, SIG_DFL);
    }
    loopRunning = 0;
    notifier_.reset();
    for (int& fd : pipeFds) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
}

} // namespace spanlet
