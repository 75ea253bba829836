#include <cstdlib>
#include <gtest/gtest.h>

#include <spanlet/x11/X11Permission.hpp>

namespace spanlet {
namespace {

struct PermissionCase {
    const char* name;
    std::optional<std::string_view> waylandDisplay;
    std::string_view platform;
    bool allowed;
};

class CaptureAllowed : public ::testing::TestWithParam<PermissionCase> {};

TEST_P(CaptureAllowed, FollowsTheSession) {
    EXPECT_EQ(X11Permission::captureAllowed(GetParam().waylandDisplay, GetParam().platform),
              GetParam().allowed);
}

INSTANTIATE_TEST_SUITE_P(
    X11Permission, CaptureAllowed,
    ::testing::Values(PermissionCase{"plain_x11", std::nullopt, "xcb", true},
                      PermissionCase{"empty_wayland_display", std::string_view(""), "xcb", true},
                      PermissionCase{"xwayland", std::string_view("wayland-0"), "xcb", false},
                      PermissionCase{"native_wayland", std::string_view("wayland-0"), "wayland",
                                     false},
                      PermissionCase{"other_platform", std::nullopt, "offscreen", false}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(X11Permission, GrantedOnThisX11Session) {
    X11Permission permission;
    EXPECT_TRUE(permission.preflight());
    EXPECT_TRUE(permission.request());
    permission.openSettings(); // nothing to open on plain X11
}

TEST(X11Permission, NotGrantedInAWaylandSession) {
    setenv("WAYLAND_DISPLAY", "wayland-0", 1);
    X11Permission permission;
    const bool preflight = permission.preflight();
    const bool request = permission.request();
    unsetenv("WAYLAND_DISPLAY");
    EXPECT_FALSE(preflight);
    EXPECT_FALSE(request);
}

} // namespace
} // namespace spanlet
