#pragma once

#include <optional>
#include <string_view>

#include <spanlet/screen/CapturePort.hpp>

namespace spanlet {

/// Screen-capture access on X11: always granted. In a Wayland session (WAYLAND_DISPLAY set, or
/// Qt running on a platform other than xcb) capture cannot see the desktop, so it is not.
class X11Permission final : public PermissionPort {
public:
    /// Whether capture works, given $WAYLAND_DISPLAY (nothing when unset) and Qt's platform
    /// name.
    [[nodiscard]] static bool captureAllowed(std::optional<std::string_view> waylandDisplay,
                                             std::string_view platformName);

    [[nodiscard]] bool preflight() const override;
    /// There is nothing to ask on X11: the same answer as preflight().
    bool request() override;
    /// Plain X11 has no privacy settings page: does nothing.
    void openSettings() override;
};

} // namespace spanlet
