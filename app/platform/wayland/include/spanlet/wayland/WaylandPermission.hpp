#pragma once

#include <spanlet/platform/PermissionPort.hpp>

namespace spanlet::wayland {

/// Screen capture on wlroots compositors: screencopy asks no permission, so capture is always
/// allowed and there is nothing to grant.
class WaylandPermission final : public PermissionPort {
public:
    [[nodiscard]] CaptureAccess access() const override { return {}; }
    bool request() override { return true; }
};

} // namespace spanlet::wayland
