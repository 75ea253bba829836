#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <spanlet/wayland/Outputs.hpp>
#include <spanlet/wayland/WaylandCapture.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>
#include <spanlet/wayland/WaylandEventPump.hpp>

#include "support/SwaySession.hpp"

namespace spanlet::test {
namespace {

using WaylandEventPumpTest = SwayTest;

// Inside Qt's event loop the connection runs by itself: a capture asked for completes, and an
// output plugged in is noticed, with no one dispatching by hand.
TEST_F(WaylandEventPumpTest, runsTheConnectionFromQtsLoop) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    auto c = wayland::WaylandConnection::connect();
    ASSERT_TRUE(c);
    wayland::WaylandEventPump pump(*c);
    wayland::WaylandCapture capture(*c);
    QEventLoop loop;
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);

    bool captured = false;
    capture.filter(c->outputs().screens().at(0).id, [&](const auto& filter) {
        capture.pixels(std::get<ScreenCapture::Filter>(filter), {0, 0, 4, 4}, 1,
                       [&](const auto& pixels) {
                           captured = std::holds_alternative<PixelBuffer>(pixels);
                           loop.quit();
                       });
    });
    loop.exec();
    EXPECT_TRUE(captured);

    c->outputs().setChangedHandler([&] { loop.quit(); });
    ASSERT_TRUE(sway.swaymsg({"create_output"}));
    loop.exec();
    EXPECT_EQ(c->outputs().screens().size(), 2U);
}

} // namespace
} // namespace spanlet::test
