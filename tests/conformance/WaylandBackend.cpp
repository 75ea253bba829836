// The wlroots back end's display server: a headless sway of its own with the output at the
// scale, the scene as its wallpaper, virtual_input as the pointer and a screencopy connection
// of the suite's own to read the screen.
#include <QImage>
#include <sys/stat.h>
#include <wayland-client.h>

#include <spanlet/wayland/Outputs.hpp>
#include <spanlet/wayland/WaylandCapture.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>

#include "BackendUnderTest.hpp"
#include "support/InputDriver.hpp"
#include "support/SwaySession.hpp"
#include "support/TestSurface.hpp"

namespace spanlet::test {
namespace {

using wayland::WaylandConnection;

constexpr int kWidth = 1280; // the output's device pixels
constexpr int kHeight = 800;

// Every device pixel differs from its neighbours; blue is at least 128, so neither sway's
// background nor black, even where a fractional scale blends neighbours.
QRgb scenePixel(int x, int y) {
    return qRgb(x & 255, y & 255, 128 | ((x >> 8) << 4) | (y >> 8));
}

class WaylandBackend final : public BackendUnderTest {
public:
    bool start(double scale) override {
        scale_ = scale;
        sway_ = std::make_unique<SwaySession>("output HEADLESS-1 resolution 1280x800 position 0 0");
        return sway_->ok() &&
               sway_->swaymsg({"output", "HEADLESS-1", "scale", std::to_string(scale)});
    }

    bool showScene() override {
        connection_ = WaylandConnection::connect();
        if (!connection_ || connection_->outputs().screens().size() != 1) {
            return false;
        }
        output_ = connection_->outputs().screens().front().id;
        capture_ = std::make_unique<wayland::WaylandCapture>(*connection_);
        std::optional<CaptureResult<ScreenCapture::Filter>> made;
        capture_->filter(output_, [&](auto f) { made = std::move(f); });
        if (!connection_->dispatchUntil([&] { return made.has_value(); }) ||
            !std::holds_alternative<ScreenCapture::Filter>(*made)) {
            return false;
        }
        filter_ = std::get<ScreenCapture::Filter>(*made);

        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                image.setPixel(x, y, scenePixel(x, y));
            }
        }
        const std::string path = sway_->runtimeFolder() + "/scene.png";
        image.save(QString::fromStdString(path));
        chmod(path.c_str(), 0644); // sway's user reads it
        if (!sway_->swaymsg({"output", "*", "bg", path, "fill"})) {
            return false;
        }
        // swaybg draws it a moment after it starts, in one commit.
        for (int i = 0; i < 200; ++i) {
            if (sceneShown()) {
                return true;
            }
        }
        return false;
    }

    std::optional<PixelBuffer> screen(const Rect& rect) override {
        std::optional<CaptureResult<PixelBuffer>> result;
        capture_->pixels(filter_, rect, scale_, [&](auto r) { result = std::move(r); });
        if (!connection_->dispatchUntil([&] { return result.has_value(); }) ||
            !std::holds_alternative<PixelBuffer>(*result)) {
            return std::nullopt;
        }
        return std::get<PixelBuffer>(*result);
    }

    bool openClickTarget(const Rect& /*rect*/) override {
        // Its surface listens to the seat's pointer, which exists once the driver runs.
        if (!startDriver()) {
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

    bool movePointer(Point at) override { return startDriver() && driver_->move(at.x, at.y); }

    bool click() override { return driver_ && driver_->click(); }

private:
    /// Starts the driver unless it runs; whether the seat has its pointer.
    bool startDriver() {
        if (!driver_) {
            driver_ = std::make_unique<InputDriver>();
        }
        return driver_->ok() && connection_->dispatchUntil([&] {
            return (connection_->seatCapabilities() & WL_SEAT_CAPABILITY_POINTER) != 0;
        });
    }

    double scale_ = 1;
    std::unique_ptr<SwaySession> sway_;
    std::unique_ptr<WaylandConnection> connection_;
    std::unique_ptr<wayland::WaylandCapture> capture_;
    std::uint32_t output_ = 0;
    ScreenCapture::Filter filter_;
    std::unique_ptr<TestSurface> below_;
    std::unique_ptr<InputDriver> driver_;
};

} // namespace

std::unique_ptr<BackendUnderTest> makeWaylandBackend() {
    return std::make_unique<WaylandBackend>();
}

} // namespace spanlet::test
