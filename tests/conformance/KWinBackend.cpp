// KDE Plasma's back end's display server: a headless KWin of its own (kwin_with_input.sh, run
// as an unprivileged user as the scenarios run it) with the output at the scale, the scene as
// its wallpaper and fake_input as the pointer, both through the script's pipes, and a capture
// through KWin's screenshot interface of the suite's own to read the screen.
#include <QDBusConnection>
#include <cstdlib>
#include <sstream>
#include <string>
#include <wayland-client.h>

#include <spanlet/kwin/ScreenShotCapture.hpp>
#include <spanlet/wayland/Outputs.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>

#include "BackendUnderTest.hpp"
#include "support/LineTool.hpp"
#include "support/TestSurface.hpp"
#include "support/X11Env.hpp"

namespace spanlet::test {
namespace {

using wayland::WaylandConnection;

class KWinBackend final : public BackendUnderTest {
public:
    ~KWinBackend() override {
        below_.reset();
        capture_.reset();
        connection_.reset();
        tool_.reset(); // fake_input ends, and the script stops KWin
    }

    bool start(double scale) override {
        scale_ = scale;
        std::ostringstream factor;
        factor << scale;
        // VAR=value lines until fake_input says it is ready with the scene up.
        tool_ = std::make_unique<LineTool>(std::vector<std::string>{
            "/bin/bash", KWIN_WITH_INPUT, factor.str(), FAKE_INPUT, "scene"});
        if (!tool_->exportUntil("ready")) {
            return false;
        }
        unsetenv("DISPLAY");
        return true;
    }

    bool showScene() override {
        connection_ = WaylandConnection::connect();
        if (!connection_ || connection_->outputs().screens().size() != 1) {
            return false;
        }
        output_ = connection_->outputs().screens().front().id;
        capture_ =
            std::make_unique<kwin::ScreenShotCapture>(*connection_, QDBusConnection::sessionBus());
        // The scene is up (fake_input waited for it); KWin shows it from its next frame.
        return waitUntil([&] { return sceneShown(); });
    }

    std::optional<PixelBuffer> screen(const Rect& rect) override {
        std::optional<CaptureResult<PixelBuffer>> result;
        capture_->pixels(ScreenCapture::Filter{output_, nullptr}, rect, scale_,
                         [&](auto r) { result = std::move(r); });
        if (!waitUntil([&] { return result.has_value(); }) ||
            !std::holds_alternative<PixelBuffer>(*result)) {
            return std::nullopt;
        }
        return std::get<PixelBuffer>(*result);
    }

    bool openClickTarget(const Rect& /*rect*/) override {
        // Its surface listens to the seat's pointer, which fake input gives the seat.
        if (!connection_->dispatchUntil([&] {
                return (connection_->seatCapabilities() & WL_SEAT_CAPABILITY_POINTER) != 0;
            })) {
            return false;
        }
        below_ = std::make_unique<TestSurface>(*connection_, connection_->outputs().output(output_),
                                               0xFF336699, true);
        return connection_->dispatchUntil([&] { return below_->mapped(); });
    }

    int clicks() override {
        connection_->roundtrip();
        return below_->clicks();
    }

    bool movePointer(Point at) override {
        std::ostringstream line;
        line << "move " << at.x << ' ' << at.y;
        return tool_->command(line.str());
    }

    bool click() override { return tool_->command("click"); }

private:
    double scale_ = 1;
    std::unique_ptr<LineTool> tool_;
    std::unique_ptr<WaylandConnection> connection_;
    std::unique_ptr<kwin::ScreenShotCapture> capture_;
    std::uint32_t output_ = 0;
    std::unique_ptr<TestSurface> below_;
};

} // namespace

std::unique_ptr<BackendUnderTest> makeKWinBackend() {
    return std::make_unique<KWinBackend>();
}

} // namespace spanlet::test
