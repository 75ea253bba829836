#pragma once

#include <optional>
#include <string_view>

#include <spanlet/model/ToolWindows.hpp>

namespace spanlet {

/// The content size a tool window's view asks for, in points (Qt logical pixels).
struct ToolViewFrame {
    int width = 0;
    /// Absent: the height follows the content.
    std::optional<int> height;
    friend bool operator==(const ToolViewFrame&, const ToolViewFrame&) = default;
};

/// The window title of each kind ("Welcome to Spanlet", "Spanlet Settings", ...), UTF-8.
std::string_view toolViewTitle(Windows::Kind kind);

/// The content size of each kind: the settings view is 520 × 640, the others have a fixed width
/// and follow their content in height.
ToolViewFrame toolViewFrame(Windows::Kind kind);

} // namespace spanlet
