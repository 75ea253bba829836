#include "LineTool.hpp"

#include <csignal>
#include <cstdlib>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace spanlet::test {

LineTool::LineTool(const std::vector<std::string>& argv) {
    int toChild[2];
    int fromChild[2];
    if (argv.empty() || pipe(toChild) != 0 || pipe(fromChild) != 0) {
        return;
    }
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        dup2(toChild[0], 0);
        dup2(fromChild[1], 1);
        for (int fd = 3; fd < 1024; ++fd) {
            close(fd);
        }
        execv(args[0], args.data());
        _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    in_ = fdopen(toChild[1], "w");
    out_ = fdopen(fromChild[0], "r");
    pid_ = pid;
}

LineTool::~LineTool() {
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

std::optional<std::string> LineTool::readLine() {
    char line[512] = {};
    if (pid_ <= 0 || std::fgets(line, sizeof line, out_) == nullptr) {
        return std::nullopt;
    }
    std::string text(line);
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

bool LineTool::exportUntil(const std::string& last) {
    while (const std::optional<std::string> line = readLine()) {
        if (*line == last) {
            return true;
        }
        const std::size_t equals = line->find('=');
        if (equals == std::string::npos) {
            return false;
        }
        setenv(line->substr(0, equals).c_str(), line->substr(equals + 1).c_str(), 1);
    }
    return false;
}

bool LineTool::command(const std::string& line) {
    if (pid_ <= 0 || std::fputs((line + "\n").c_str(), in_) < 0 || std::fflush(in_) != 0) {
        return false;
    }
    return readLine() == "ok";
}

} // namespace spanlet::test
