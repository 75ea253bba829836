#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace spanlet::test {

/// Starts `argv` (searched on PATH) with standard output to `out` and standard error to `err`
/// (-1: /dev/null) and no other descriptor open but `keep`; its PID, or -1. The child gets
/// SIGTERM when this process dies, so a crashed test leaves no server behind.
pid_t spawn(const std::vector<std::string>& argv, int out = -1, int keep = -1, int err = -1);

/// Runs `argv` to completion; its exit status, or -1 when it could not run.
int run(const std::vector<std::string>& argv);

/// What a program run to its end wrote, and its exit status (-1 when it did not exit).
struct Finished {
    int status = -1;
    std::string text;
};
/// Runs `argv` to completion, reading its standard output (its standard error with `errors`).
Finished finish(const std::vector<std::string>& argv, bool errors = false);

/// A program running in the background (see spawn), stopped by its PID when this goes.
class Background {
public:
    Background() = default;
    explicit Background(const std::vector<std::string>& argv, int keep = -1);
    ~Background() { stop(); }
    Background(Background&& other) noexcept;
    Background& operator=(Background&& other) noexcept;

    [[nodiscard]] pid_t pid() const noexcept { return pid_; }
    void stop();

private:
    pid_t pid_ = -1;
};

} // namespace spanlet::test
