#pragma once

#include <string>

#include "LineTool.hpp"

namespace spanlet::test {

/// The virtual_input tool, running for as long as this object: the seat's pointer and keyboard.
class InputDriver {
public:
    InputDriver();
    InputDriver(const InputDriver&) = delete;
    InputDriver& operator=(const InputDriver&) = delete;

    [[nodiscard]] bool ok() const noexcept { return ready_; }
    /// To (x, y) in global logical points; whether the compositor has handled it.
    bool move(double x, double y);
    /// Presses and releases the left button.
    bool click();
    /// Presses and releases the key with evdev code `code` (1: Escape; see virtual_input's
    /// keymap); "down" or "up" as `how` only presses or only releases it.
    bool key(int code, const char* how = "key");

private:
    LineTool tool_;
    bool ready_;
};

} // namespace spanlet::test
