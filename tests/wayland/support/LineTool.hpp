#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace spanlet::test {

/// A test tool (an input driver, a script starting a compositor) run as a child for as long as
/// this object, spoken to a line at a time through its standard input and output. Closing its
/// input on destruction ends it.
class LineTool {
public:
    /// Runs `argv` (argv[0] a path).
    explicit LineTool(const std::vector<std::string>& argv);
    ~LineTool();
    LineTool(const LineTool&) = delete;
    LineTool& operator=(const LineTool&) = delete;

    [[nodiscard]] bool running() const noexcept { return pid_ > 0; }
    /// The next line it prints, without its newline; nothing once it has ended.
    std::optional<std::string> readLine();
    /// Sets each VAR=value line it prints as an environment variable, until it prints `last`;
    /// whether it did.
    bool exportUntil(const std::string& last);
    /// Sends one line; whether the tool answered "ok".
    bool command(const std::string& line);

private:
    pid_t pid_ = -1;
    FILE* in_ = nullptr;  ///< its standard input
    FILE* out_ = nullptr; ///< its standard output
};

} // namespace spanlet::test
