#pragma once

#include <cstdio>
#include <string>
#include <sys/types.h>

namespace spanlet::test {

/// The virtual_pointer tool, running for as long as this object: the seat's pointer.
class PointerDriver {
public:
    PointerDriver();
    ~PointerDriver();
    PointerDriver(const PointerDriver&) = delete;
    PointerDriver& operator=(const PointerDriver&) = delete;

    [[nodiscard]] bool ok() const noexcept { return pid_ > 0; }
    /// To (x, y) in global logical points; whether the compositor has handled it.
    bool move(double x, double y);
    /// Presses and releases the left button.
    bool click();

private:
    bool command(const std::string& line);

    pid_t pid_ = -1;
    FILE* in_ = nullptr;  ///< its standard input
    FILE* out_ = nullptr; ///< its standard output
};

} // namespace spanlet::test
