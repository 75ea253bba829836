#pragma once

#include <spanlet/screen/CapturePort.hpp>

namespace spanlet::wayland {

/// Screen capture on wlroots compositors: screencopy asks no permission, so capture is always
/// allowed and there are no settings to open.
class WaylandPermission final : public PermissionPort {
public:
    [[nodiscard]] bool preflight() const override { return true; }
    bool request() override { return true; }
    void openSettings() override {}
};

} // namespace spanlet::wayland
