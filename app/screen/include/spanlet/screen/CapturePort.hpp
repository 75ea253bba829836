#pragma once

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
};

/// Screen-recording permission. On X11 it is always granted; in a Wayland session it is not.
class PermissionPort {
public:
    virtual ~PermissionPort() = default;
    /// Whether capture is allowed now; never prompts.
    [[nodiscard]] virtual bool preflight() const = 0;
    /// Asks for access where the platform can; answers whether it is granted.
    virtual bool request() = 0;
    /// Opens the desktop's privacy settings where one is known, else does nothing.
    virtual void openSettings() = 0;
};

} // namespace spanlet
