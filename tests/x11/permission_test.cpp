#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

#include <spanlet/x11/X11Permission.hpp>

namespace spanlet {
namespace {

TEST(X11Permission, CaptureIsAllowedOnlyInAnX11SessionAndNothingOffersToAllowItElsewhere) {
    using State = CaptureAccess::State;
    EXPECT_EQ(X11Permission::accessIn("", "xcb"), CaptureAccess{})
        << "an empty WAYLAND_DISPLAY is none";
    const CaptureAccess xwayland = X11Permission::accessIn("wayland-0", "xcb");
    EXPECT_EQ(xwayland.state, State::unavailable);
    EXPECT_TRUE(xwayland.action.empty());
    EXPECT_NE(xwayland.explanation.find("Xwayland"), std::string::npos) << xwayland.explanation;
    EXPECT_EQ(X11Permission::accessIn(std::nullopt, "offscreen").state, State::unavailable);

    // The environment and the platform this process really runs on.
    X11Permission permission;
    EXPECT_TRUE(permission.preflight());
    EXPECT_TRUE(permission.request());
    setenv("WAYLAND_DISPLAY", "wayland-0", 1);
    const State state = permission.access().state;
    const bool request = permission.request();
    unsetenv("WAYLAND_DISPLAY");
    EXPECT_EQ(state, State::unavailable);
    EXPECT_FALSE(request) << "Xwayland";
}

} // namespace
} // namespace spanlet
