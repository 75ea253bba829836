#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <spanlet/wayland/CursorCheck.hpp>
#include <spanlet/wayland/HoleCapture.hpp>
#include <spanlet/wayland/Outputs.hpp>
#include <spanlet/wayland/OverlayKeyboard.hpp>
#include <spanlet/wayland/OverlayPointer.hpp>
#include <spanlet/wayland/OverlaySurface.hpp>
#include <spanlet/wayland/ThemeCursor.hpp>
#include <spanlet/wayland/WaylandCapture.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>
#include <spanlet/wayland/WaylandDisplayPort.hpp>
#include <spanlet/wayland/WaylandEventPump.hpp>
#include <spanlet/wayland/WaylandOverlayHost.hpp>

#include "support/InputDriver.hpp"
#include "support/SwaySession.hpp"
#include "support/TestSurface.hpp"

namespace spanlet::test {
namespace {

using wayland::CursorCheck;
using wayland::OverlaySurface;
using wayland::WaylandConnection;
using OverlayInput = SwayTest;

// The overlay lets the pointer through to what is below it until it takes input, and then
// takes it.
TEST_F(OverlayInput, followsTheMode) {
    InputDriver driver;
    ASSERT_TRUE(driver.ok());
    auto c = WaylandConnection::connect();
    ASSERT_TRUE(c);
    wl_output* output = c->outputs().output(c->outputs().screens().at(0).id);
    TestSurface below(*c, output, 0xFF004000, true);
    OverlaySurface overlay(*c, output, 1);
    ASSERT_TRUE(c->dispatchUntil([&] { return overlay.configured() && below.mapped(); }));

    const bool modes[] = {false, true, false};
    double x = 100;
    for (const bool take : modes) {
        overlay.takeInput(take);
        c->roundtrip();
        ASSERT_TRUE(driver.move(x += 10, 100));
        ASSERT_TRUE(c->dispatchUntil([&] { return below.pointer().has_value() == !take; }))
            << "taking input: " << take;
    }
}

// An output switched off and on again (sway keeps the overlay's surface there and configures it
// anew) has the input region of the host's mode: idle, the pointer passes through to what is
// below; snapping, the overlay takes it.
TEST_F(OverlayInput, returningOutputKeepsTheMode) {
    ASSERT_TRUE(sway.swaymsg({"create_output"}));
    ASSERT_TRUE(sway.swaymsg({"output", "HEADLESS-2", "position", "1280", "0"}));
    InputDriver driver;
    ASSERT_TRUE(driver.ok());
    auto c = WaylandConnection::connect();
    ASSERT_TRUE(c);
    wayland::WaylandDisplayPort displays(*c);
    wayland::WaylandCapture screencopy(*c);
    wayland::HoleCapture holes(screencopy);
    CursorCheck check(holes);
    wayland::WaylandOverlayHost host(*c, displays, holes, check);
    displays.setScreensChangedHandler([&] { host.rebuild(displays.currentScreens()); });
    host.rebuild(displays.currentScreens());
    const auto cycle = [&] {
        ASSERT_TRUE(sway.swaymsg({"output", "HEADLESS-2", "disable"}));
        c->roundtrip();
        ASSERT_TRUE(sway.swaymsg({"output", "HEADLESS-2", "enable"}));
        c->roundtrip();
    };
    const auto right = [&] {
        for (const ScreenInfo& s : displays.currentScreens()) {
            if (s.frame.x > 0) {
                return std::make_pair(s.id, c->outputs().output(s.id));
            }
        }
        return std::make_pair(0U, static_cast<wl_output*>(nullptr));
    };
    double x = 1300;
    for (const OverlayInputMode mode : {OverlayInputMode::idle, OverlayInputMode::snapping}) {
        host.setMode(mode);
        cycle();
        const auto [id, output] = right();
        ASSERT_NE(output, nullptr);
        TestSurface below(*c, output, 0xFF004000, true);
        ASSERT_TRUE(c->dispatchUntil([&, id = id] {
            return below.mapped() && host.surface(id) != nullptr && host.surface(id)->configured();
        }));
        c->roundtrip();
        ASSERT_TRUE(driver.move(x += 10, 100));
        if (mode == OverlayInputMode::idle) {
            EXPECT_TRUE(c->dispatchUntil([&] { return below.pointer().has_value(); }))
                << "idle: the overlay keeps the pointer";
            EXPECT_FALSE(displays.pointerKnown());
        } else {
            EXPECT_TRUE(c->dispatchUntil([&] { return displays.pointerLocation().x == x; }))
                << "snapping: the overlay lets the pointer through";
            EXPECT_TRUE(displays.pointerKnown());
            EXPECT_FALSE(below.pointer().has_value());
        }
    }
}

// While the overlays take input, the pointer is known in global points on every output, at any
// scale, and a click arrives where it happened.
TEST_F(OverlayInput, tracksThePointerAcrossOutputs) {
    ASSERT_TRUE(sway.swaymsg({"output", "HEADLESS-1", "scale", "2"}));
    ASSERT_TRUE(sway.swaymsg({"create_output"}));
    InputDriver driver;
    ASSERT_TRUE(driver.ok());
    auto c = WaylandConnection::connect();
    ASSERT_TRUE(c);
    const std::vector<ScreenInfo> screens = c->outputs().screens();
    ASSERT_EQ(screens.size(), 2U);
    std::vector<std::unique_ptr<OverlaySurface>> overlays;
    for (const ScreenInfo& s : screens) {
        overlays.push_back(std::make_unique<OverlaySurface>(*c, c->outputs().output(s.id),
                                                            static_cast<int>(s.scale.factor())));
        overlays.back()->takeInput(true);
    }
    std::optional<Point> clicked;
    wayland::OverlayPointer pointer(*c,
                                    [&](wl_surface* surface) -> std::optional<Point> {
                                        for (std::size_t i = 0; i < overlays.size(); ++i) {
                                            if (overlays[i]->surface() == surface) {
                                                return screens[i].frame.origin();
                                            }
                                        }
                                        return std::nullopt;
                                    },
                                    {{}, [&](Point p, std::uint32_t) { clicked = p; }, {}, {}});
    ASSERT_TRUE(c->dispatchUntil([&] {
        return std::all_of(overlays.begin(), overlays.end(),
                           [](const auto& o) { return o->configured(); });
    }));

    const Point points[] = {{10.5, 20}, {639, 399}, {screens[1].frame.x + 100, 50.25}};
    for (const Point& p : points) {
        ASSERT_TRUE(driver.move(p.x, p.y));
        ASSERT_TRUE(c->dispatchUntil([&] { return pointer.position() == p; }))
            << p.x << ", " << p.y;
    }
    ASSERT_TRUE(driver.click());
    ASSERT_TRUE(c->dispatchUntil([&] { return clicked.has_value(); }));
    EXPECT_EQ(*clicked, points[2]);
}

// Keys reach the overlay only while it may take the keyboard, and then once it was clicked; they
// are read through the compositor's keymap, and a held key repeats.
TEST_F(OverlayInput, getsKeysOnlyWhileTakingTheKeyboard) {
    InputDriver driver;
    ASSERT_TRUE(driver.ok());
    auto c = WaylandConnection::connect();
    ASSERT_TRUE(c);
    OverlaySurface overlay(*c, c->outputs().output(c->outputs().screens().at(0).id), 1);
    std::vector<wayland::OverlayKeyboard::Key> keys;
    wayland::OverlayKeyboard keyboard(
        *c, [&](wl_surface* s) { return s == overlay.surface(); },
        [&](const wayland::OverlayKeyboard::Key& key) { keys.push_back(key); });
    ASSERT_TRUE(c->dispatchUntil([&] { return overlay.configured(); }));
    overlay.takeInput(true);
    constexpr int escape = 1;

    ASSERT_TRUE(driver.move(100, 100) && driver.click() && driver.key(escape));
    c->roundtrip();
    EXPECT_TRUE(keys.empty());

    overlay.takeKeyboard(true);
    c->roundtrip();
    ASSERT_TRUE(driver.click() && driver.key(escape));
    ASSERT_TRUE(c->dispatchUntil([&] { return !keys.empty(); }));
    EXPECT_EQ(keys.at(0).keysym, XKB_KEY_Escape);

    constexpr int usV = 47; // H in the driver's keymap
    ASSERT_TRUE(driver.key(usV));
    ASSERT_TRUE(c->dispatchUntil([&] { return keys.size() == 2; }));
    EXPECT_EQ(keys.at(1).text, "h");

    // Held for a second: sway's keyboards repeat after 600 ms, 25 times a second.
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    wayland::WaylandEventPump pump(*c);
    constexpr int right = 106;
    ASSERT_TRUE(driver.key(right, "down"));
    QEventLoop held;
    QTimer::singleShot(1000, &held, &QEventLoop::quit);
    held.exec();
    ASSERT_TRUE(driver.key(right, "up"));
    EXPECT_GE(keys.size(), 5U) << "a held key did not repeat";
    EXPECT_EQ(keys.back().keysym, XKB_KEY_Right);
}

// Headless sway draws cursors into the output, so screen copies hold them: the cursor check,
// copying around the pointer through the overlay's holes, settles on no cursor while snapping,
// and a copy afterwards is the scene alone. Until the check, no cursor shows over the overlay.
TEST_F(OverlayInput, cursorCheckFindsCursorsInCopies) {
    InputDriver driver;
    ASSERT_TRUE(driver.ok());
    auto c = WaylandConnection::connect();
    ASSERT_TRUE(c);
    const std::uint32_t id = c->outputs().screens().at(0).id;
    TestSurface below(*c, c->outputs().output(id), 0xFF004000, true);
    OverlaySurface overlay(*c, c->outputs().output(id), 1);
    wayland::OverlayPointer pointer(*c,
                                    [&](wl_surface* s) {
                                        return s == overlay.surface()
                                                   ? std::optional<Point>(Point{})
                                                   : std::nullopt;
                                    },
                                    {});
    ASSERT_TRUE(c->dispatchUntil([&] { return overlay.configured() && below.mapped(); }));
    std::fill(overlay.canvas().begin(), overlay.canvas().end(), 0xC0800000U); // translucent red
    const wayland::PixelRect all{0, 0, overlay.width(), overlay.height()};
    overlay.present({&all, 1});
    overlay.takeInput(true);
    c->roundtrip();
    ASSERT_TRUE(driver.move(200, 200));
    ASSERT_TRUE(c->dispatchUntil([&] { return pointer.position().has_value(); }));

    wayland::WaylandCapture screencopy(*c);
    wayland::HoleCapture holes(screencopy);
    holes.setPunch(
        [&](std::uint32_t, wayland::PixelRect hole, std::function<void()> ready) {
            overlay.punch({&hole, 1});
            ready();
        },
        [&](std::uint32_t, wayland::PixelRect hole) { overlay.closeHole(hole); });
    wayland::CursorCheck check(holes);
    check.setChanged([&] {
        pointer.setCursor(check.crosshair()
                              ? std::vector<std::string>{"no such cursor", "crosshair"}
                              : std::vector<std::string>{});
    });
    const auto around = [&] {
        std::optional<CaptureResult<PixelBuffer>> got;
        check.pixels({id, nullptr}, {184, 184, 32, 32}, 1, [&](auto r) { got = std::move(r); });
        c->dispatchUntil([&] { return got.has_value(); });
        const auto* pixels = got ? std::get_if<PixelBuffer>(&*got) : nullptr;
        return pixels != nullptr ? *pixels : PixelBuffer();
    };
    const PixelBuffer plain(32, 32, RGBA{0, 0x40, 0, 255});
    EXPECT_TRUE(around() == plain) << "a cursor image or the overlay before the check";

    (void)check.pointerAt(id, *pointer.position(), 1, wayland::ThemeCursor::size());
    check.rested();
    ASSERT_TRUE(c->dispatchUntil([&] { return check.verdict() != CursorCheck::Verdict::unknown; }));
    EXPECT_EQ(check.verdict(), CursorCheck::Verdict::hidden);
    EXPECT_TRUE(around() == plain) << "a cursor image after the check";
}

/// An overlay on the output, transparent, over a dark green surface; the seat's pointer (which
/// the surface below follows) away from the copies.
class OverlayOverGreen : public SwayTest {
protected:
    void SetUp() override {
        SwayTest::SetUp();
        ASSERT_TRUE(driver.ok() && driver.move(500, 300));
        c = WaylandConnection::connect();
        ASSERT_TRUE(c);
        id = c->outputs().screens().at(0).id;
        below = std::make_unique<TestSurface>(*c, c->outputs().output(id), 0xFF004000, true);
        over = std::make_unique<OverlaySurface>(*c, c->outputs().output(id), 1);
        ASSERT_TRUE(c->dispatchUntil([&] { return over->configured() && below->mapped(); }));
    }

    InputDriver driver;
    std::unique_ptr<WaylandConnection> c;
    std::uint32_t id = 0;
    std::unique_ptr<TestSurface> below;
    std::unique_ptr<OverlaySurface> over;
};

// A hole closed after its copy shows the overlay again once asked, though nothing else is
// drawn meanwhile, or with the next holes, as does drawing held for them. Told where the
// canvas holds drawing, a hole clears only there.
TEST_F(OverlayOverGreen, closedHolesShowTheOverlayAgain) {
    OverlaySurface& overlay = *over;
    std::fill(overlay.canvas().begin(), overlay.canvas().end(), 0xFF800000U); // opaque red
    const wayland::PixelRect all{0, 0, overlay.width(), overlay.height()};
    overlay.present({&all, 1});
    wayland::WaylandCapture screencopy(*c);
    const wayland::PixelRect hole{100, 100, 8, 8};
    const auto shows = [&](RGBA colour, const wayland::PixelRect& at = {100, 100, 8, 8}) {
        for (int tries = 0; tries < 20; ++tries) {
            std::optional<CaptureResult<PixelBuffer>> got;
            screencopy.pixels({id, nullptr}, {double(at.x), double(at.y), 8, 8}, 1,
                              [&](auto r) { got = std::move(r); });
            c->dispatchUntil([&] { return got.has_value(); });
            const auto* pixels = got ? std::get_if<PixelBuffer>(&*got) : nullptr;
            if (pixels != nullptr && *pixels == PixelBuffer(8, 8, colour)) {
                return true;
            }
        }
        return false;
    };
    const RGBA red{0x80, 0, 0, 255};
    ASSERT_TRUE(shows(red));
    overlay.punch({&hole, 1});
    EXPECT_TRUE(shows(RGBA{0, 0x40, 0, 255})) << "the hole shows what is below";
    overlay.closeHole(hole);
    overlay.showClosedHoles();
    EXPECT_TRUE(shows(red));

    // Every buffer made, so that none shows the whole canvas for being new.
    const wayland::PixelRect next{300, 300, 8, 8};
    for (int i = 0; i < 10 && overlay.buffersMade() < 3; ++i) {
        overlay.punch({&next, 1});
        overlay.closeHole(next);
        overlay.showClosedHoles();
        ASSERT_TRUE(shows(red));
    }
    overlay.punch({&hole, 1});
    const wayland::PixelRect drawn{140, 100, 8, 8};
    for (int y = drawn.y; y < drawn.y + drawn.height; ++y) {
        std::fill_n(overlay.canvas().begin() + y * overlay.width() + drawn.x, drawn.width,
                    0xFF000080U); // opaque blue
    }
    overlay.presentWithPunch({&drawn, 1});
    overlay.closeHole(hole);
    overlay.punch({&next, 1});
    EXPECT_TRUE(shows(RGBA{0, 0, 0x80, 255}, drawn));
    EXPECT_TRUE(shows(red));

    // Told where the canvas holds drawing, a hole clears only there.
    overlay.closeHole(next);
    overlay.setDrawn({hole});
    const wayland::PixelRect strip{hole.x, hole.y, 32, hole.height};
    overlay.punch({&strip, 1});
    EXPECT_TRUE(shows(RGBA{0, 0x40, 0, 255})) << "the drawn part of the hole";
    EXPECT_TRUE(shows(red, {hole.x + 16, hole.y, 8, 8})) << "the part told to be blank";
}

// Told where the canvas holds drawing, buffers are brought up to date only there: drawing that
// moves leaves nothing behind in any buffer that showed it, and a buffer made later (blank) shows
// it all.
TEST_F(OverlayOverGreen, movedDrawingLeavesNothingBehind) {
    OverlaySurface& overlay = *over;
    wayland::WaylandCapture screencopy(*c);
    // What the screen shows at `at` now: a copy is taken after the last commit.
    const auto shown = [&](const wayland::PixelRect& at) {
        std::optional<CaptureResult<PixelBuffer>> got;
        screencopy.pixels({id, nullptr}, {double(at.x), double(at.y), 8, 8}, 1,
                          [&](auto r) { got = std::move(r); });
        c->dispatchUntil([&] { return got.has_value(); });
        const auto* pixels = got ? std::get_if<PixelBuffer>(&*got) : nullptr;
        return pixels != nullptr ? *pixels : PixelBuffer();
    };
    const auto fill = [&](const wayland::PixelRect& r, std::uint32_t colour) {
        for (int y = r.y; y < r.y + r.height; ++y) {
            std::fill_n(overlay.canvas().begin() + y * overlay.width() + r.x, r.width, colour);
        }
    };
    // A frame of the same canvas in the next buffer.
    const wayland::PixelRect away{600, 500, 8, 8};
    const auto nextFrame = [&] {
        overlay.punch({&away, 1});
        overlay.closeHole(away);
        overlay.showClosedHoles();
    };
    const PixelBuffer green(8, 8, RGBA{0, 0x40, 0, 255});
    const PixelBuffer blue(8, 8, RGBA{0, 0, 0x80, 255});
    const wayland::PixelRect a{100, 100, 8, 8};
    const wayland::PixelRect b{200, 100, 8, 8};
    overlay.setDrawn({a});
    fill(a, 0xFF000080U);
    overlay.present({&a, 1});
    for (int i = 0; i < 4; ++i) {
        nextFrame();
        ASSERT_EQ(shown(a), blue);
    }
    ASSERT_LT(overlay.buffersMade(), 3U) << "no buffer left to make";
    fill(a, 0);
    fill(b, 0xFF000080U);
    overlay.setDrawn({b});
    const std::vector<wayland::PixelRect> moved{a, b};
    overlay.present(moved);
    for (int i = 0; i < 10 && overlay.buffersMade() < 3; ++i) {
        nextFrame();
        EXPECT_EQ(shown(a), green) << "frame " << i;
        EXPECT_EQ(shown(b), blue) << "frame " << i;
    }
    EXPECT_EQ(overlay.buffersMade(), 3U);
}

} // namespace
} // namespace spanlet::test
