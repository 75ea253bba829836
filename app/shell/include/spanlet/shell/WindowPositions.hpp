#pragma once

#include <optional>
#include <string>

#include <spanlet/Geometry.hpp>
#include <spanlet/model/DefaultsStore.hpp>
#include <spanlet/model/ToolWindows.hpp>

namespace spanlet {

/// Where the user left each tool window, kept under "Spanlet.<kind>" in the defaults store as
/// {"x": …, "y": …}: the window frame's top-left corner in global top-left points.
class WindowPositions {
public:
    explicit WindowPositions(DefaultsStore& store) noexcept : store_(store) {}

    [[nodiscard]] static std::string key(Windows::Kind kind);
    /// The remembered position; nothing when none was saved or it cannot be read.
    [[nodiscard]] std::optional<Point> position(Windows::Kind kind) const;
    void remember(Windows::Kind kind, Point topLeft);

private:
    DefaultsStore& store_;
};

} // namespace spanlet
