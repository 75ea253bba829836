#include <cstdlib>
#include <gtest/gtest.h>

#include <spanlet/x11/X11Permission.hpp>

namespace spanlet {
namespace {

TEST(X11Permission, CaptureIsAllowedOnlyInAnX11Session) {
    EXPECT_TRUE(X11Permission::captureAllowed("", "xcb")) << "an empty WAYLAND_DISPLAY is none";
    EXPECT_FALSE(X11Permission::captureAllowed(std::nullopt, "offscreen"));

    // The environment and the platform this process really runs on.
    X11Permission permission;
    EXPECT_TRUE(permission.preflight());
    EXPECT_TRUE(permission.request());
    setenv("WAYLAND_DISPLAY", "wayland-0", 1);
    const bool preflight = permission.preflight();
    const bool request = permission.request();
    unsetenv("WAYLAND_DISPLAY");
    EXPECT_FALSE(preflight || request) << "Xwayland";
}

} // namespace
} // namespace spanlet
