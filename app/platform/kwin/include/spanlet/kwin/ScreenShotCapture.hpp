#pragma once

#include <QDBusConnection>
#include <functional>
#include <memory>
#include <vector>

#include <spanlet/platform/CapturePort.hpp>

namespace spanlet::wayland {
class WaylandConnection;
}

namespace spanlet::kwin {

/// Capture through KWin's screenshot interface (org.kde.KWin.ScreenShot2.CaptureArea): KWin
/// copies an area of the composited screen at its outputs' own resolution, without the cursor,
/// and writes the raw pixels into a pipe, which is read from the event loop as it fills. Like
/// screencopy it sees our overlay; leaving that out is the overlay's business (HoleCapture).
/// Completions run from Qt's event loop.
class ScreenShotCapture final : public CapturePort {
public:
    /// `connection` (for the outputs) must outlive this object.
    ScreenShotCapture(wayland::WaylandConnection& connection, QDBusConnection bus);
    ~ScreenShotCapture() override;
    ScreenShotCapture(const ScreenShotCapture&) = delete;
    ScreenShotCapture& operator=(const ScreenShotCapture&) = delete;

    /// Whether KWin's screenshot interface is on `bus`.
    static bool offered(const QDBusConnection& bus);

    void filter(std::uint32_t displayId,
                std::function<void(CaptureResult<ScreenCapture::Filter>)> done) override;
    void pixels(const ScreenCapture::Filter& filter, const Rect& rect, double scale,
                std::function<void(CaptureResult<PixelBuffer>)> done) override;
    /// Marks when a copy is asked of KWin ("asked") and when its pixels are read ("copied").
    void setTrace(const std::function<void(const char* event)>& trace) override { trace_ = trace; }

private:
    struct Copy;
    /// Runs `done` with `result` on a later dispatch of the connection, unless this object is
    /// gone.
    template <class T>
    void later(std::function<void(CaptureResult<T>)> done, CaptureResult<T> result);

    wayland::WaylandConnection& connection_;
    QDBusConnection bus_;
    /// Copies in flight; they go when they finish, or with this object.
    std::vector<std::unique_ptr<Copy>> copies_;
    std::shared_ptr<bool> alive_;
    std::function<void(const char*)> trace_;
};

} // namespace spanlet::kwin
