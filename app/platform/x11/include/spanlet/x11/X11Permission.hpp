#pragma once

#include <optional>
#include <string_view>

#include <spanlet/platform/PermissionPort.hpp>

namespace spanlet {

/// Screen-capture access on X11: always granted. In a Wayland session (WAYLAND_DISPLAY set, or
/// Qt running on a platform other than xcb) capture cannot see the desktop, and nothing the user
/// does changes that, so it is unavailable.
class X11Permission final : public PermissionPort {
public:
    /// Where capture stands, given $WAYLAND_DISPLAY (nothing when unset) and Qt's platform name.
    [[nodiscard]] static CaptureAccess accessIn(std::optional<std::string_view> waylandDisplay,
                                                std::string_view platformName);

    [[nodiscard]] CaptureAccess access() const override;
    /// There is nothing to ask on X11: the same answer as preflight().
    bool request() override;
};

} // namespace spanlet
