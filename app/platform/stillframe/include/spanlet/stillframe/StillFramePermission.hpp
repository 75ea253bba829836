#pragma once

#include <functional>

#include <spanlet/platform/PermissionPort.hpp>

namespace spanlet::stillframe {

/// Capture on a still frame is allowed wherever a way to grab one can be tried: the desktop
/// itself asks the user where it wants to (a portal's dialog), when the frame is grabbed.
class StillFramePermission final : public PermissionPort {
public:
    /// Whether the session bus offers GNOME's screen cast service or the desktop portal.
    static bool sessionOffersCapture();

    explicit StillFramePermission(std::function<bool()> canTry = sessionOffersCapture);

    [[nodiscard]] CaptureAccess access() const override;
    bool request() override { return preflight(); }

private:
    std::function<bool()> canTry_;
};

} // namespace spanlet::stillframe
