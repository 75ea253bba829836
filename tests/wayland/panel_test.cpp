#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <variant>
#include <vector>

#include <spanlet/wayland/HoleCapture.hpp>
#include <spanlet/wayland/Outputs.hpp>
#include <spanlet/wayland/WaylandCapture.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>
#include <spanlet/wayland/WaylandDisplayPort.hpp>
#include <spanlet/wayland/WaylandPanelHost.hpp>

#include "support/InputDriver.hpp"
#include "support/SwaySession.hpp"

namespace spanlet::test {
namespace {

using wayland::WaylandConnection;
using PanelHostTest = SwayTest;

struct HeardInput final : PanelInput {
    std::optional<Point> moved;
    std::optional<Point> pressed;
    void pointerMoved(Point at) override { moved = at; }
    void buttonPressed(Point at, OverlayButton /*button*/) override { pressed = at; }
    void buttonReleased(Point /*at*/, OverlayButton /*button*/) override {}
    void pointerLeft() override {}
    void keyPressed(const OverlayKeyPress& /*key*/) override {}
};

constexpr std::uint32_t kRed = 0xFFFF0000; // opaque, as the canvas holds it

// The pixel at `at` (display-local points) of display `id` as `capture` copies it.
std::optional<RGBA> copied(WaylandConnection& c, CapturePort& capture, std::uint32_t id, Point at,
                           double scale) {
    std::optional<CaptureResult<ScreenCapture::Filter>> filter;
    capture.filter(id, [&](auto f) { filter = std::move(f); });
    if (!c.dispatchUntil([&] { return filter.has_value(); })) {
        return std::nullopt;
    }
    std::optional<CaptureResult<PixelBuffer>> pixels;
    capture.pixels(std::get<ScreenCapture::Filter>(*filter), {at.x, at.y, 1, 1}, scale,
                   [&](auto p) { pixels = std::move(p); });
    if (!c.dispatchUntil([&] { return pixels.has_value(); }) ||
        !std::holds_alternative<PixelBuffer>(*pixels)) {
        return std::nullopt;
    }
    return std::get<PixelBuffer>(*pixels)(0, 0);
}

// The panel shows at its frame on the output that holds the frame's centre, at that output's
// scale, painted whole; moved to another output it is made there. The pointer over it is in
// global points. Captures see under it.
TEST_F(PanelHostTest, showsAtItsFrameOnTheOutputHoldingItsCentre) {
    ASSERT_TRUE(sway.swaymsg({"output", "HEADLESS-1", "scale", "2"}));
    ASSERT_TRUE(sway.swaymsg({"create_output"}));
    ASSERT_TRUE(sway.swaymsg({"output", "HEADLESS-2", "position", "640", "0"}));
    InputDriver driver;
    ASSERT_TRUE(driver.ok());
    auto c = WaylandConnection::connect();
    ASSERT_TRUE(c);
    ASSERT_TRUE(c->dispatchUntil([&] { return c->outputs().screens().size() == 2; }));
    wayland::WaylandDisplayPort displays(*c);
    wayland::WaylandCapture capture(*c);
    wayland::HoleCapture holes(capture);
    wayland::WaylandPanelHost host(*c, displays, holes);
    HeardInput input;
    std::vector<Rect> painted;
    host.bind(
        [&](const OverlayCanvas& canvas, std::span<const Rect> rects) {
            painted.assign(rects.begin(), rects.end());
            for (int y = 0; y < canvas.height; ++y) {
                auto* row = reinterpret_cast<std::uint32_t*>(canvas.bits + y * canvas.stride);
                std::fill_n(row, canvas.width, kRed);
            }
        },
        &input);

    host.place(Rect{100, 50, 200, 40});
    ASSERT_TRUE(c->dispatchUntil([&] { return host.surface()->configured(); }));
    EXPECT_EQ(host.surface()->width(), 400);
    EXPECT_EQ(host.surface()->height(), 80);
    EXPECT_EQ(painted, (std::vector<Rect>{{0, 0, 200, 40}}));
    ASSERT_TRUE(driver.move(150.5, 60));
    ASSERT_TRUE(c->dispatchUntil([&] { return input.moved == Point{150.5, 60}; }));
    const std::uint32_t left = c->outputs().screens().at(0).id;
    const RGBA red{255, 0, 0, 255};
    EXPECT_EQ(copied(*c, capture, left, {110, 60}, 2), red) << "the panel is on screen";
    const std::optional<RGBA> under = copied(*c, holes, left, {110, 60}, 2);
    ASSERT_TRUE(under.has_value());
    EXPECT_NE(*under, red) << "a capture sees under the panel";

    // Its centre on the right output (scale 1), its corner still on the left one.
    host.place(Rect{600, 100, 200, 40});
    ASSERT_TRUE(c->dispatchUntil([&] { return host.surface()->configured(); }));
    EXPECT_EQ(host.surface()->width(), 200);
    ASSERT_TRUE(driver.move(700, 110));
    ASSERT_TRUE(c->dispatchUntil([&] { return input.moved == Point{700, 110}; }));
    ASSERT_TRUE(driver.click());
    ASSERT_TRUE(c->dispatchUntil([&] { return input.pressed == Point{700, 110}; }));
    EXPECT_EQ(displays.pointerLocation(), (Point{700, 110}));

    host.place(std::nullopt);
    EXPECT_EQ(host.surface(), nullptr);
}

} // namespace
} // namespace spanlet::test
