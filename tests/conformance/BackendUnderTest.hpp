#pragma once

#include <algorithm>
#include <memory>
#include <optional>

#include <spanlet/Geometry.hpp>
#include <spanlet/PixelBuffer.hpp>

namespace spanlet::test {

/// A display server as the conformance suite drives it: one display of 1280 × 800 device
/// pixels at the top left, a known scene on it, the real pointer, and a reading of the screen
/// that does not go through Spanlet. Each back end has one; a new back end runs the suite by
/// adding its own and one line in the suite.
class BackendUnderTest {
public:
    virtual ~BackendUnderTest() = default;

    /// Starts the display server with its display at `scale` and points the environment (Qt's
    /// scale factors, the loader's variables) at it; whether it runs. Called before the
    /// application is made.
    virtual bool start(double scale) = 0;
    /// Shows the scene (another application's pixels, different at every device pixel) and
    /// waits until the display shows it; whether it does. Called once the application exists.
    virtual bool showScene() = 0;
    /// What the display shows in `rect` (global points) at full resolution, our overlay
    /// included; nothing when it cannot be read.
    virtual std::optional<PixelBuffer> screen(const Rect& rect) = 0;
    /// Shows another application's window at least over `rect` (global points), recording the
    /// clicks it gets; whether it shows. Before any window of ours.
    virtual bool openClickTarget(const Rect& rect) = 0;
    /// Clicks the window of openClickTarget() got so far.
    virtual int clicks() = 0;
    /// Moves the real pointer to `at` (global points); whether the server has handled it.
    virtual bool movePointer(Point at) = 0;
    /// Presses and releases the left button where the pointer is.
    virtual bool click() = 0;
    /// Whether the back end shows the overlay while nothing is measured. A still frame shows
    /// it only while measuring, and there is nothing of ours to click through while idle.
    [[nodiscard]] virtual bool showsOverlayWhileIdle() const { return true; }

protected:
    /// Whether screen() shows the scene now, for servers that show it from a later frame:
    /// blue at every pixel of an area well inside it.
    bool sceneShown() {
        const std::optional<PixelBuffer> shown = screen(Rect{100, 100, 400, 300});
        return shown && std::all_of(shown->pixels().begin(), shown->pixels().end(),
                                    [](const RGBA& p) { return p.b >= 128; });
    }
};

std::unique_ptr<BackendUnderTest> makeX11Backend();
std::unique_ptr<BackendUnderTest> makeWaylandBackend();
std::unique_ptr<BackendUnderTest> makeKWinBackend();
std::unique_ptr<BackendUnderTest> makeMutterBackend();

} // namespace spanlet::test
