#pragma once

#include <QColor>
#include <QPointF>
#include <QWindow>
#include <memory>
#include <string>
#include <vector>

#include <spanlet/x11/X11Capture.hpp>
#include <spanlet/x11/X11DisplayPort.hpp>

#include "Processes.hpp"
#include "Scene.hpp"

namespace spanlet::test {

/// What the capture tests share: the displays, a capture made before any window of ours, a
/// scene of another application's windows, optionally a compositor. Windows of ours are
/// frameless, above everything and registered with the capture, like the overlay.
class CaptureFixture {
public:
    /// `displayIndex` 0 is monitor A (scale 2), 1 is monitor B (scale 1).
    explicit CaptureFixture(std::size_t displayIndex, bool compositor = false,
                            X11Capture::Options options = {});
    ~CaptureFixture();

    [[nodiscard]] bool ok() const { return ok_; }
    /// Starts xcompmgr now; whether it took over compositing.
    bool startCompositor();
    Scene& scene() { return *scene_; }
    X11Capture& capture() { return *capture_; }
    [[nodiscard]] const X11DisplayPort::Display& display() const { return display_; }

    /// Opens a window of ours over the whole display, crossed by one-point green lines along
    /// the row and column through `cross` (display-local points); whether it shows.
    bool coverDisplay(QPointF cross);
    /// Opens another window of ours over `local` (display-local points), filled with `fill`.
    bool coverPart(const QRectF& local, QColor fill);
    /// The window of ours opened last.
    [[nodiscard]] QWindow& lastOwnWindow() { return *ownWindows_.back(); }

    /// The filter for the display, or the failure.
    CaptureResult<ScreenCapture::Filter> filter(std::uint32_t displayId);
    CaptureResult<PixelBuffer> pixels(const ScreenCapture::Filter& filter, const Rect& rect);
    /// The root-window device rectangle a capture of `rect` (display-local points) reads.
    [[nodiscard]] QRect deviceRect(const Rect& rect) const;
    /// What the capture of `rect` must give.
    [[nodiscard]] PixelBuffer expected(const Rect& rect) const;

private:
    bool cover(const QRect& geometry, QPointF cross, QColor fill, QPoint devicePoint);

    Background compositor_;
    std::unique_ptr<X11DisplayPort> displays_;
    std::unique_ptr<X11Capture> capture_;
    std::unique_ptr<Scene> scene_;
    std::vector<std::unique_ptr<QWindow>> ownWindows_;
    X11DisplayPort::Display display_;
    QScreen* screen_ = nullptr;
    bool ok_ = false;
};

/// Text for a failed result.
std::string describe(const ScreenCapture::Error& error);

/// Empty when equal, else where and how the first pixels differ.
std::string compare(const PixelBuffer& actual, const PixelBuffer& expected);

} // namespace spanlet::test
