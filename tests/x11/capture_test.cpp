#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <xcb/composite.h>

#include "XcbRequests.hpp"
#include "support/CaptureFixture.hpp"
#include "support/X11Env.hpp"

namespace spanlet {
namespace {

using test::CaptureFixture;
using test::compare;
using test::describe;

/// How a capture of `rect` (display-local points) through `filter` differs from what the
/// screen shows beneath our windows; empty when it agrees.
std::string difference(CaptureFixture& f, const ScreenCapture::Filter& filter, const Rect& rect) {
    const auto result = f.pixels(filter, rect);
    if (const auto* error = std::get_if<ScreenCapture::Error>(&result)) {
        return "capture failed: " + describe(*error);
    }
    return compare(std::get<PixelBuffer>(result), f.expected(rect));
}

/// The same through a filter made now.
std::string difference(CaptureFixture& f, const Rect& rect) {
    const auto filter = f.filter(f.display().info.id);
    if (const auto* error = std::get_if<ScreenCapture::Error>(&filter)) {
        return "no filter: " + describe(*error);
    }
    return difference(f, std::get<ScreenCapture::Filter>(filter), rect);
}

// Our windows (one over the whole display with a crosshair, one opened after the filter was
// made) are left out: the capture shows exactly what lies beneath them, another application's
// windows and the wallpaper. On display B, without a compositor; the conformance suite has the
// overlay at other scales, composited.
TEST(X11Capture, ReadsWhatLiesUnderOurWindowsExactly) {
    CaptureFixture f(1);
    ASSERT_TRUE(f.ok());
    f.scene().setWallpaper(7);
    // Another application's windows scattered over both monitors: 15 below the window of
    // known coloured rectangles, 15 above.
    const auto others = [&](int first) {
        for (int i = first; i < first + 15; ++i) {
            f.scene().addWindow(
                QRect(i * 149 % 2200, i * 83 % 700, 40 + i * 37 % 360, 30 + i * 53 % 270),
                std::uint32_t(100 + i));
        }
    };
    others(0);
    const xcb_window_t pattern = f.scene().addWindow(QRect(100, 60, 1900, 600), 1);
    others(15);

    // The pointer, display-local points: inside the pattern window.
    const Point pointer{600, 300};
    ASSERT_TRUE(f.coverDisplay({pointer.x, pointer.y}));
    const auto filter = f.filter(f.display().info.id);
    ASSERT_TRUE(std::holds_alternative<ScreenCapture::Filter>(filter))
        << describe(std::get<ScreenCapture::Error>(filter));
    ASSERT_TRUE(f.coverPart(QRectF(pointer.x - 12, pointer.y - 12, 24, 24), QColor(255, 255, 0)));

    const Rect frame = f.display().info.frame;
    for (const Rect& strip :
         {Rect{0, pointer.y, frame.width, 1}, Rect{pointer.x, 0, 1, frame.height},
          Rect{pointer.x - 8, pointer.y - 8, 17, 17}}) {
        EXPECT_EQ(difference(f, std::get<ScreenCapture::Filter>(filter), strip), "")
            << strip.x << ", " << strip.y;
    }
    // A window or a child window drawn anew and a replaced wallpaper are read afresh; beyond the
    // display's edge (on the other monitor, or off the screen) there is nothing to read: clear
    // pixels.
    f.scene().repaint(pattern, 9);
    EXPECT_EQ(difference(f, {0, pointer.y, frame.width, 1}), "");
    const QRect row = f.deviceRect({0, pointer.y, frame.width, 1});
    const xcb_window_t child =
        f.scene().addChild(pattern, QRect(row.x() + 150, row.y() - 5, 300, 10), 10);
    EXPECT_EQ(difference(f, {0, pointer.y, frame.width, 1}), "");
    f.scene().repaint(child, 13);
    EXPECT_EQ(difference(f, {0, pointer.y, frame.width, 1}), "");
    f.scene().setWallpaper(8);
    EXPECT_EQ(difference(f, {0, pointer.y, frame.width, 1}), "");
    EXPECT_EQ(difference(f, {-2, -2, 4, 4}), "");
}

// With no window of ours about, a capture must show what the screen shows, translucent
// windows included: blended under a compositor, their raw colours without one, also when the
// compositor starts after the capture has looked at the desktop once.
TEST(X11Capture, EqualsTheRootImageWithAndWithoutCompositor) {
    const struct {
        const char* name;
        bool compositor;
        bool later; // starts after the capture has looked at the desktop once
    } cases[] = {{"none", false, false}, {"compositor", true, false}, {"later", false, true}};
    for (const auto& [name, compositor, later] : cases) {
        SCOPED_TRACE(name);
        CaptureFixture f(1, compositor);
        ASSERT_TRUE(f.ok());
        f.scene().setWallpaper(11);
        f.scene().addWindow(QRect(1200, 100, 800, 500), 12);
        f.scene().addTranslucentWindow(QRect(1500, 200, 400, 600), 0x80402000, compositor || later);
        const Rect row{0, 300, 1152, 1};
        if (later) {
            difference(f, row); // looks at the desktop once, without compositor
            ASSERT_TRUE(f.startCompositor());
        }
        // The compositor paints in its own time: wait until the screen shows the blend.
        const QRect device = f.deviceRect(row);
        const PixelBuffer expected = f.expected(row);
        ASSERT_TRUE(test::waitUntil([&] { return f.scene().rootImage(device) == expected; }))
            << compare(f.scene().rootImage(device), expected);
        EXPECT_EQ(difference(f, row), "");
    }
}

// The Composite overlay window, which compositors draw the whole screen into, belongs to the
// server and holds no application's contents: it is looked through. Under a window manager
// our windows sit inside its frames: the whole frame is left out.
TEST(X11Capture, LooksThroughTheServerOverlayAndLeavesOutTheFrameOfOurWindow) {
    CaptureFixture f(1);
    ASSERT_TRUE(f.ok());
    f.scene().addWindow(QRect(1152, 0, 1152, 800), 31);
    const xcb_window_t frame = f.scene().addFrame(QRect(1152, 0, 1152, 800));
    ASSERT_TRUE(f.coverPart(QRectF(100, 100, 600, 400), QColor(255, 0, 255)));
    const auto window = std::uint32_t(f.lastOwnWindow().winId());
    xcb_connection_t* qt = test::qtConnection();
    xcb_reparent_window(qt, window, frame, 100, 100);
    std::free(xcb_get_input_focus_reply(qt, xcb_get_input_focus(qt), nullptr));
    xcb_connection_t* c = f.scene().connection();
    ASSERT_TRUE(test::reply(xcb_composite_get_overlay_window_reply(
        c, xcb_composite_get_overlay_window(c, f.scene().root()), nullptr)));
    f.scene().sync();
    EXPECT_EQ(difference(f, {0, 300, 1152, 1}), "");
    xcb_reparent_window(qt, window, f.scene().root(), 1252, 100); // back before the frame goes
    std::free(xcb_get_input_focus_reply(qt, xcb_get_input_focus(qt), nullptr));
    xcb_composite_release_overlay_window(c, f.scene().root());
    f.scene().sync();
}

TEST(X11Capture, UnknownDisplayOrForeignFilterGivesNoDisplay) {
    CaptureFixture f(1);
    ASSERT_TRUE(f.ok());
    const auto failure = [](const ScreenCapture::Error& e) {
        const auto* reason = std::get_if<ScreenCapture::Failure>(&e.reason);
        return reason ? std::optional(*reason) : std::nullopt;
    };
    const auto filter = f.filter(0xdeadbeef);
    ASSERT_TRUE(std::holds_alternative<ScreenCapture::Error>(filter));
    EXPECT_EQ(failure(std::get<ScreenCapture::Error>(filter)), ScreenCapture::Failure::noDisplay);
    // A filter with the right display id but without our handle.
    const auto pixels = f.pixels(ScreenCapture::Filter{f.display().info.id, nullptr}, {0, 0, 4, 4});
    ASSERT_TRUE(std::holds_alternative<ScreenCapture::Error>(pixels));
    EXPECT_EQ(failure(std::get<ScreenCapture::Error>(pixels)), ScreenCapture::Failure::noDisplay);
}

// What the last captures read is watched through the server's reports: a change in a window
// read only before then is not heard of, one of our own windows coming, moving and going over
// it neither, one in a window under the last read is, once.
TEST(X11Capture, HearsOnceOfAChangeWhereItLastRead) {
    CaptureFixture f(1);
    ASSERT_TRUE(f.ok());
    const xcb_window_t under = f.scene().addWindow(QRect(1200, 250, 600, 100), 5);
    const xcb_window_t before = f.scene().addWindow(QRect(1200, 500, 600, 100), 6);
    EXPECT_EQ(difference(f, {100, 520, 10, 10}), "");
    EXPECT_EQ(difference(f, {0, 300, 1152, 1}), "");
    int heard = 0;
    ASSERT_TRUE(f.capture().watchChanges([&] { ++heard; }));
    f.scene().repaint(before, 7);
    const xcb_window_t ours = f.scene().addFrame(QRect(1250, 400, 100, 50));
    f.capture().ownWindows()->add(ours);
    const std::uint32_t to[] = {1400, 410};
    xcb_configure_window(f.scene().connection(), ours, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y,
                         to);
    f.scene().destroy(ours);
    test::settle();
    EXPECT_EQ(heard, 0);
    f.scene().repaint(under, 8);
    EXPECT_TRUE(test::waitUntil([&] { return heard == 1; }));
    f.scene().repaint(under, 9);
    test::settle();
    EXPECT_EQ(heard, 1);
}

// The pointer read where captures are read brings the server's news with its answer: a kept
// capture is not served again after a change made before the read, though the capture reads no
// news from the socket itself then.
TEST(X11Capture, PointerReadHereBringsTheChangesBeforeIt) {
    CaptureFixture f(1);
    ASSERT_TRUE(f.ok());
    const xcb_window_t under = f.scene().addWindow(QRect(1200, 250, 600, 100), 5);
    const auto filter = f.filter(f.display().info.id);
    ASSERT_TRUE(std::holds_alternative<ScreenCapture::Filter>(filter));
    const Rect row{0, 300, 1152, 1};
    EXPECT_EQ(difference(f, std::get<ScreenCapture::Filter>(filter), row), "");
    f.scene().repaint(under, 8);
    xcb_connection_t* c = f.scene().connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_warp_pointer(c, XCB_NONE, root, 0, 0, 0, 0, 1234, 321);
    x11::roundTrip(c);
    const std::optional<Point> pointer = f.capture().queryPointer();
    ASSERT_TRUE(pointer);
    EXPECT_EQ(pointer->x, 1234);
    EXPECT_EQ(pointer->y, 321);
    EXPECT_EQ(difference(f, std::get<ScreenCapture::Filter>(filter), row), "");
}

// A pointer move's captures are read as soon as the move has been handed over, in the same turn
// of the event loop, and still never inside the call that asked.
TEST(X11Capture, ReadAfterReadsInTheSameTurn) {
    CaptureFixture f(1);
    ASSERT_TRUE(f.ok());
    const auto filter = f.filter(f.display().info.id);
    ASSERT_TRUE(std::holds_alternative<ScreenCapture::Filter>(filter));
    bool asking = false;
    std::optional<bool> answeredWhileAsking;
    f.capture().readAfter([&] {
        asking = true;
        f.capture().pixels(
            std::get<ScreenCapture::Filter>(filter), {0, 300, 1152, 1}, 1,
            [&](const CaptureResult<PixelBuffer>&) { answeredWhileAsking = asking; });
        asking = false;
    });
    EXPECT_EQ(answeredWhileAsking, std::optional<bool>(false));
}

// A window over the row vanishes between planning and reading (the worst moment): the capture
// must come back whole and show what is beneath it, not fail and not show garbage.
TEST(X11Capture, WindowVanishingMidCaptureGivesWhatIsBeneath) {
    std::atomic<int> reads{0};
    std::atomic<xcb_window_t> victim{XCB_WINDOW_NONE};
    test::Scene* scene = nullptr;
    X11Capture::Options options;
    options.beforeRead = [&] {
        if (reads++ == 0 && victim != XCB_WINDOW_NONE) {
            scene->destroy(victim);
        }
    };
    CaptureFixture f(1, false, options);
    ASSERT_TRUE(f.ok());
    scene = &f.scene();
    f.scene().addWindow(QRect(1152, 0, 1152, 800), 5);
    victim = f.scene().addWindow(QRect(1300, 250, 700, 200), 6);
    ASSERT_TRUE(f.coverDisplay({400, 300}));
    // The scene no longer has the victim: the expectation is what lies beneath it.
    EXPECT_EQ(difference(f, {0, 300, 1152, 1}), "");
    EXPECT_GE(reads.load(), 2) << "the vanished window must have forced a second read";
}

} // namespace
} // namespace spanlet
