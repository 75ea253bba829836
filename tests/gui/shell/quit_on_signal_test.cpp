// SIGTERM from outside, in a child process of its own for each case: before the event loop
// runs, while it runs, and while the main thread is stuck.
#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <spanlet/shell/QuitOnSignal.hpp>

namespace spanlet {
namespace {

enum class Moment { beforeTheLoop, inTheLoop, whileStuck };

/// Runs a Qt application with QuitOnSignal in a child that gets SIGTERM at `moment`; its
/// wait status, or -1 when it was still running after 10 s.
int statusAfterSigterm(Moment moment) {
    const pid_t child = ::fork();
    if (child == 0) {
        int argc = 1;
        char name[] = "quit_on_signal_test";
        char* argv[] = {name, nullptr};
        QCoreApplication app(argc, argv);
        QuitOnSignal quit;
        if (moment == Moment::beforeTheLoop) {
            ::raise(SIGTERM);
            std::this_thread::sleep_for(std::chrono::seconds(20)); // as a busy start-up
        }
        QTimer::singleShot(10, [moment] {
            ::raise(SIGTERM);
            if (moment == Moment::whileStuck) {
                std::this_thread::sleep_for(std::chrono::seconds(20));
            }
        });
        ::_exit(QCoreApplication::exec() == 0 ? 0 : 1);
    }
    for (int i = 0; i < 200; ++i) {
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child) {
            return status;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    return -1;
}

bool killedBySigterm(int status) {
    return status != -1 && WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM;
}

TEST(QuitOnSignalTest, EndsTheLoopNormallyWhileItRuns) {
    const int status = statusAfterSigterm(Moment::inTheLoop);
    EXPECT_TRUE(status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(QuitOnSignalTest, EndsTheProcessBeforeTheLoopRunsOrWhenTheLoopIsStuck) {
    EXPECT_TRUE(killedBySigterm(statusAfterSigterm(Moment::beforeTheLoop)));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(killedBySigterm(statusAfterSigterm(Moment::whileStuck)));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(6));
}

} // namespace
} // namespace spanlet
