#include "InputDriver.hpp"

#include <csignal>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace spanlet::test {

InputDriver::InputDriver() {
    int toChild[2];
    int fromChild[2];
    if (pipe(toChild) != 0 || pipe(fromChild) != 0) {
        return;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        dup2(toChild[0], 0);
        dup2(fromChild[1], 1);
        for (int fd = 3; fd < 1024; ++fd) {
            close(fd);
        }
        execl(VIRTUAL_INPUT, VIRTUAL_INPUT, nullptr);
        _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    in_ = fdopen(toChild[1], "w");
    out_ = fdopen(fromChild[0], "r");
    pid_ = pid;
    char line[64] = {};
    if (pid < 0 || std::fgets(line, sizeof line, out_) == nullptr ||
        std::string(line) != "ready\n") {
        pid_ = -1;
    }
}

InputDriver::~InputDriver() {
    if (in_ != nullptr) {
        std::fclose(in_);
    }
    if (out_ != nullptr) {
        std::fclose(out_);
    }
    if (pid_ > 0) {
        waitpid(pid_, nullptr, 0);
    }
}

bool InputDriver::command(const std::string& line) {
    if (pid_ <= 0 || std::fputs((line + "\n").c_str(), in_) < 0 || std::fflush(in_) != 0) {
        return false;
    }
    char answer[64] = {};
    return std::fgets(answer, sizeof answer, out_) != nullptr && std::string(answer) == "ok\n";
}

bool InputDriver::move(double x, double y) {
    std::ostringstream line;
    line << "move " << x << ' ' << y;
    return command(line.str());
}

bool InputDriver::click() {
    return command("click");
}

bool InputDriver::key(int code, const char* how) {
    return command(std::string(how) + " " + std::to_string(code));
}

} // namespace spanlet::test
