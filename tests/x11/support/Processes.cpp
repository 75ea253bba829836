#include "Processes.hpp"

#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace spanlet::test {

pid_t spawn(const std::vector<std::string>& argv, int out, int keep) {
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
    const int null = open("/dev/null", O_WRONLY);
    dup2(out >= 0 ? out : null, 1);
    dup2(null, 2);
    for (int fd = 3; fd < 1024; ++fd) {
        if (fd != keep) {
            close(fd);
        }
    }
    execvp(args[0], args.data());
    _exit(127);
}

int run(const std::vector<std::string>& argv) {
    const pid_t pid = spawn(argv);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

Background::Background(const std::vector<std::string>& argv, int keep)
    : pid_(spawn(argv, -1, keep)) {}

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

} // namespace spanlet::test
