#pragma once

#include <string>

namespace spanlet {

/// Spoken feedback for assistive technology; nothing is shown on screen.
class Announcer {
public:
    virtual ~Announcer() = default;
    /// Asks screen readers to speak `text` at once, with high priority.
    virtual void announce(const std::string& text) = 0;
};

} // namespace spanlet
