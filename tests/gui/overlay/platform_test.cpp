// The X11 back end as the application loads it: two X connections of its own besides Qt's, and
// one answer to whether a compositor runs, which the overlay and the ruler both follow.
#include <QWindow>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <xcb/shape.h>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/overlay/qt/HostedOverlay.hpp>
#include <spanlet/ruler/qt/QtRulerController.hpp>
#include <spanlet/ruler/qt/RulerPanel.hpp>
#include <spanlet/x11/X11Platform.hpp>

#include "fakes/FakePlatform.hpp"
#include "support/Processes.hpp"
#include "support/Scene.hpp"
#include "support/X11Env.hpp"

namespace spanlet::test {
namespace {

/// Whether the server holds a bounding shape for `window`.
bool shaped(QWidget& window) {
    xcb_connection_t* c = qtConnection();
    const auto extents = reply(xcb_shape_query_extents_reply(
        c, xcb_shape_query_extents(c, static_cast<xcb_window_t>(window.winId())), nullptr));
    return extents && extents->bounding_shaped != 0;
}

/// How many sockets this process holds open.
int openSockets() {
    int sockets = 0;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ignored;
        const std::string target = std::filesystem::read_symlink(fd.path(), ignored).string();
        sockets += target.rfind("socket:", 0) == 0 ? 1 : 0;
    }
    return sockets;
}

TEST(X11Platform, OpensTwoConnectionsBesidesQts) {
    const int before = openSockets();
    const std::unique_ptr<X11Platform> platform = X11Platform::make();
    ASSERT_TRUE(platform);
    EXPECT_EQ(openSockets() - before, 2) << "capture, and everything else";
}

// Without a compositor the translucent pixels would show black: both cut their windows to what
// they draw (shape mode). With one, neither does.
class ShapeMode : public ::testing::TestWithParam<bool> {};

TEST_P(ShapeMode, FollowsTheCompositorForTheOverlayAndTheRuler) {
    const bool compositor = GetParam();
    Background compositing;
    if (compositor) {
        compositing = Background({"xcompmgr"});
    }
    ASSERT_TRUE(waitUntil([&] { return compositorRunning(qtConnection()) == compositor; }));

    const std::unique_ptr<X11Platform> platform = X11Platform::make();
    ASSERT_TRUE(platform);
    HostedOverlay overlays(platform->overlay(), platform->displays());
    QtRulerController ruler(platform->displays(), platform->surfaces());
    fakes::FakePlatform f;
    Preferences prefs;
    prefs.welcomed = true;
    Mensor model(MensorPorts{f.clock, platform->displays(), f.capture, platform->permission(),
                             f.clipboard, f.announcer, f.preferences, f.windows, f.hotkeys,
                             overlays, f.sampler},
                 prefs);
    overlays.attach(model);
    ruler.attach(model);
    model.start();
    model.toggleSnapping();
    model.ruler().toggle();
    ASSERT_TRUE(waitUntil([&] {
        return !platform->overlay().panels().empty() &&
               platform->overlay().panels().front()->isVisible() && ruler.panel() != nullptr &&
               ruler.panel()->windowHandle() != nullptr &&
               ruler.panel()->windowHandle()->isExposed();
    }));
    settle();

    EXPECT_EQ(platform->surfaces().compositing(), compositor);
    for (x11::OverlayPanel* panel : platform->overlay().panels()) {
        EXPECT_EQ(panel->shapeMode(), !compositor);
        EXPECT_EQ(shaped(*panel), !compositor) << "overlay panel of display " << panel->screenId();
    }
    EXPECT_EQ(ruler.panel()->shaped(), !compositor);
    EXPECT_EQ(shaped(*ruler.panel()), !compositor) << "ruler";
    ruler.detach();
}

INSTANTIATE_TEST_SUITE_P(Desktops, ShapeMode, ::testing::Values(false, true), [](const auto& p) {
    return p.param ? "composited" : "withoutCompositor";
});

} // namespace
} // namespace spanlet::test
