#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace spanlet::test {

/// Runs `argv` (searched on PATH) to completion; its exit status, or -1 when it could not run.
int run(const std::vector<std::string>& argv);

/// A program running in the background, stopped by its PID when this goes.
class Background {
public:
    Background() = default;
    explicit Background(const std::vector<std::string>& argv);
    /// Takes charge of a process started elsewhere.
    static Background adopt(pid_t pid);
    ~Background();
    Background(Background&& other) noexcept;
    Background& operator=(Background&& other) noexcept;
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;

    [[nodiscard]] pid_t pid() const noexcept { return pid_; }
    void stop();

private:
    pid_t pid_ = -1;
};

/// An Xvfb of its own on a free display number (chosen by the server through -displayfd), with
/// RandR and Composite.
class Xvfb {
public:
    /// `screen` as Xvfb takes it, e.g. "2304x800x24". Check ok() afterwards.
    explicit Xvfb(const std::string& screen);
    [[nodiscard]] bool ok() const noexcept { return !display_.empty(); }
    /// ":N".
    [[nodiscard]] const std::string& display() const noexcept { return display_; }

private:
    Background server_;
    std::string display_;
};

} // namespace spanlet::test
