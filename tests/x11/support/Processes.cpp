#include "Processes.hpp"

#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace spanlet::test {

pid_t spawn(const std::vector<std::string>& argv, int out, int keep, int err) {
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
    dup2(err >= 0 ? err : null, 2);
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

Finished finish(const std::vector<std::string>& argv, bool errors) {
    int fds[2];
    if (pipe(fds) != 0) {
        return {};
    }
    const pid_t pid = errors ? spawn(argv, -1, -1, fds[1]) : spawn(argv, fds[1]);
    close(fds[1]);
    Finished result;
    char chunk[4096];
    ssize_t n = 0;
    while ((n = read(fds[0], chunk, sizeof chunk)) > 0) {
        result.text.append(chunk, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        result.status = WEXITSTATUS(status);
    }
    return result;
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
