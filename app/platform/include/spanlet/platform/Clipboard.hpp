#pragma once

#include <string>

namespace spanlet {

/// The desktop clipboard.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    /// Replaces the clipboard's whole content with `text` (UTF-8).
    virtual void setText(const std::string& text) = 0;
};

} // namespace spanlet
