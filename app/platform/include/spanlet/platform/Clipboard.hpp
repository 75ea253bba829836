#pragma once

#include <chrono>
#include <string>

namespace spanlet {

/// The desktop clipboard.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    /// Replaces the clipboard's whole content with `text` (UTF-8).
    virtual void setText(const std::string& text) = 0;
    /// Before the application ends: gives the copied text to the desktop's clipboard manager,
    /// if there is one, waiting at most `wait`, so that it outlives the application and ending
    /// never waits longer for the manager. Nothing to do where the clipboard needs no hand-over.
    virtual void handOver(std::chrono::milliseconds /*wait*/) {}
};

} // namespace spanlet
