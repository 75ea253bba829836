#include <cstdlib>
#include <gtest/gtest.h>
#include <ostream>
#include <xcb/composite.h>

#include "support/CaptureFixture.hpp"
#include "support/X11Env.hpp"

namespace spanlet {
namespace {

using test::CaptureFixture;
using test::compare;
using test::describe;

PixelBuffer capturePixels(CaptureFixture& f, const Rect& rect) {
    const auto filter = f.filter(f.display().info.id);
    if (!std::holds_alternative<ScreenCapture::Filter>(filter)) {
        ADD_FAILURE() << describe(std::get<ScreenCapture::Error>(filter));
        return {};
    }
    const auto result = f.pixels(std::get<ScreenCapture::Filter>(filter), rect);
    if (!std::holds_alternative<PixelBuffer>(result)) {
        ADD_FAILURE() << describe(std::get<ScreenCapture::Error>(result));
        return {};
    }
    return std::get<PixelBuffer>(result);
}

struct PlainCase {
    const char* name;
    bool compositor;
    bool compositorStartsLater; // after the capture has looked at the desktop once
};

void PrintTo(const PlainCase& c, std::ostream* out) {
    *out << c.name;
}

class PlainScreen : public ::testing::TestWithParam<PlainCase> {};

// With no window of ours about, a capture must show what the screen shows, translucent
// windows included: blended under a compositor, their raw colours without one.
TEST_P(PlainScreen, CaptureEqualsTheRootImage) {
    const bool later = GetParam().compositorStartsLater;
    const bool composited = GetParam().compositor || later;
    CaptureFixture f(1, GetParam().compositor);
    ASSERT_TRUE(f.ok());
    f.scene().setWallpaper(11);
    f.scene().addWindow(QRect(1200, 100, 800, 500), 12);
    f.scene().addTranslucentWindow(QRect(1500, 200, 400, 600), 0x80402000, composited);
    const Rect row{0, 300, 1152, 1};
    if (later) {
        capturePixels(f, row);
        ASSERT_TRUE(f.startCompositor());
    }
    const QRect device = f.deviceRect(row);
    // The compositor paints in its own time: wait until the screen shows the blend.
    const PixelBuffer expected = f.expected(row);
    ASSERT_TRUE(test::waitUntil([&] { return f.scene().rootImage(device) == expected; }))
        << compare(f.scene().rootImage(device), expected);
    EXPECT_EQ(compare(capturePixels(f, row), expected), "");
}

INSTANTIATE_TEST_SUITE_P(X11CaptureDesktop, PlainScreen,
                         ::testing::Values(PlainCase{"without_compositor", false, false},
                                           PlainCase{"with_compositor", true, false},
                                           PlainCase{"compositor_starts_later", false, true}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(X11CaptureDesktop, ReplacedWallpaperIsReadAfresh) {
    CaptureFixture f(0);
    ASSERT_TRUE(f.ok());
    f.scene().setWallpaper(41);
    ASSERT_TRUE(f.coverDisplay({100, 100}));
    const Rect row{0, 100, 576, 1};
    EXPECT_EQ(compare(capturePixels(f, row), f.expected(row)), "");
    f.scene().setWallpaper(42);
    EXPECT_EQ(compare(capturePixels(f, row), f.expected(row)), "");
}

// The Composite overlay window, which compositors draw the whole screen into, belongs to the
// server; it holds no application's contents and must be looked through.
TEST(X11CaptureDesktop, ServerOverlayWindowIsLookedThrough) {
    CaptureFixture f(1);
    ASSERT_TRUE(f.ok());
    f.scene().addWindow(QRect(1152, 0, 1152, 800), 21);
    xcb_connection_t* c = f.scene().connection();
    auto* overlay = xcb_composite_get_overlay_window_reply(
        c, xcb_composite_get_overlay_window(c, f.scene().root()), nullptr);
    ASSERT_NE(overlay, nullptr);
    f.scene().sync();
    const Rect row{0, 400, 1152, 1};
    EXPECT_EQ(compare(capturePixels(f, row), f.expected(row)), "");
    xcb_composite_release_overlay_window(c, f.scene().root());
    std::free(overlay);
    f.scene().sync();
}

// Under a window manager our windows sit inside its frames; the whole frame is left out.
TEST(X11CaptureDesktop, OurWindowInsideAnotherTopLevelIsLeftOutWithIt) {
    CaptureFixture f(1);
    ASSERT_TRUE(f.ok());
    f.scene().addWindow(QRect(1152, 0, 1152, 800), 31);
    const xcb_window_t frame = f.scene().addFrame(QRect(1152, 0, 1152, 800));
    ASSERT_TRUE(f.coverPart(QRectF(100, 100, 600, 400), QColor(255, 0, 255)));
    const auto window = std::uint32_t(f.lastOwnWindow().winId());
    xcb_connection_t* qt = test::qtConnection();
    xcb_reparent_window(qt, window, frame, 100, 100);
    std::free(xcb_get_input_focus_reply(qt, xcb_get_input_focus(qt), nullptr));
    const Rect row{0, 300, 1152, 1};
    EXPECT_EQ(compare(capturePixels(f, row), f.expected(row)), "");
    xcb_reparent_window(qt, window, f.scene().root(), 1252, 100);
    std::free(xcb_get_input_focus_reply(qt, xcb_get_input_focus(qt), nullptr));
}

} // namespace
} // namespace spanlet
