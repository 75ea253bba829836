#include "Processes.hpp"

#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace spanlet::test {

namespace {

// Starts `argv` with stdout and stderr sent to /dev/null when `quiet`, and `keepFd` left open.
// The child gets SIGTERM when this process dies, so a crashed test leaves no server behind.
pid_t spawn(const std::vector<std::string>& argv, bool quiet, int keepFd = -1) {
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) {
        return pid; // -1 on failure
    }
    // Child: only async-signal-safe calls until exec.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) {
        _exit(127);
    }
    if (quiet) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
    }
    for (int fd = 3; fd < 1024; ++fd) {
        if (fd != keepFd) {
            close(fd);
        }
    }
    execvp(args[0], args.data());
    _exit(127);
}

} // namespace

int run(const std::vector<std::string>& argv) {
    const pid_t pid = spawn(argv, true);
    if (pid < 0) {
        return -1;
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

Background::Background(const std::vector<std::string>& argv) : pid_(spawn(argv, true)) {}

Background Background::adopt(pid_t pid) {
    Background b;
    b.pid_ = pid;
    return b;
}

Background::~Background() {
    stop();
}

Background::Background(Background&& other) noexcept : pid_(std::exchange(other.pid_, -1)) {}

Background& Background::operator=(Background&& other) noexcept {
    if (this != &other) {
        stop();
        pid_ = std::exchange(other.pid_, -1);
    }
    return *this;
}

void Background::stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

Xvfb::Xvfb(const std::string& screen) {
    int fds[2];
    if (pipe(fds) != 0) {
        return;
    }
    const std::vector<std::string> argv = {"Xvfb",       "-displayfd", std::to_string(fds[1]),
                                           "-noreset",   "-nolisten",  "tcp",
                                           "-screen",    "0",          screen,
                                           "+extension", "RANDR",      "+extension",
                                           "Composite"};
    const pid_t pid = spawn(argv, true, fds[1]);
    close(fds[1]);
    server_ = Background::adopt(pid);
    std::string number;
    char c = 0;
    // The server writes its display number and a newline once it accepts connections.
    while (pid > 0 && read(fds[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
    close(fds[0]);
    if (!number.empty()) {
        display_ = ":" + number;
    }
}

} // namespace spanlet::test
