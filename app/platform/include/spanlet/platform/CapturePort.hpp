#pragma once

#include <cstdint>
#include <functional>
#include <variant>

#include <spanlet/PixelBuffer.hpp>
#include <spanlet/screen/ScreenCapture.hpp>

namespace spanlet {

template <class T>
using CaptureResult = std::variant<T, ScreenCapture::Error>;

/// Capture of small screen rectangles that leaves our own windows out. Both operations are
/// asynchronous; completions always run later on the main thread, never inside the call.
class CapturePort {
public:
    virtual ~CapturePort() = default;
    /// A filter for display `displayId`; fails with noDisplay for an unknown id.
    virtual void filter(std::uint32_t displayId,
                        std::function<void(CaptureResult<ScreenCapture::Filter>)> done) = 0;
    /// The pixels of `rect` (display-local top-left points) at `scale`, sized by outputSize().
    virtual void pixels(const ScreenCapture::Filter& filter, const Rect& rect, double scale,
                        std::function<void(CaptureResult<PixelBuffer>)> done) = 0;
    /// Where the display server reports changes: from now on `changed` runs once, later on the
    /// main thread, when something changes where the latest captures read, and true is returned.
    /// Empty `changed` stops watching. False where changes go unreported: then nothing is
    /// watched and what lies under a still pointer is to be read again from time to time.
    // By value: watchers keep it. NOLINTNEXTLINE(performance-unnecessary-value-param)
    virtual bool watchChanges(std::function<void()> /*changed*/) { return false; }
    /// For the latency benchmark: where copies wait for the display server to draw a frame,
    /// `mark` hears "asked" and "copied" around each wait. Empty: no more marks. Captures that
    /// answer at once have nothing to mark.
    virtual void setTrace(const std::function<void(const char* event)>& /*mark*/) {}
};

} // namespace spanlet
