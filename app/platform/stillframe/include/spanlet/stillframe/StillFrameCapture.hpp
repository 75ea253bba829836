#pragma once

#include <QObject>

#include <spanlet/platform/CapturePort.hpp>

namespace spanlet {
class DisplayPort;
}

namespace spanlet::stillframe {

class StillFrames;

/// Captures read from the still frame of the measuring session: exact copies of its pixels, so
/// our own windows, painted over the frame, are never in them. A capture asked for while the
/// frame is being grabbed waits for it; without a session it fails with noImage.
class StillFrameCapture final : public CapturePort {
public:
    /// Both must outlive the capture.
    StillFrameCapture(const DisplayPort& displays, StillFrames& frames);

    void filter(std::uint32_t displayId,
                std::function<void(CaptureResult<ScreenCapture::Filter>)> done) override;
    /// One frame pixel per output pixel where `scale` is the display's; at another scale each
    /// output pixel takes the frame pixel under its top-left corner. Pixels off the frame are
    /// clear.
    void pixels(const ScreenCapture::Filter& filter, const Rect& rect, double scale,
                std::function<void(CaptureResult<PixelBuffer>)> done) override;
    /// The frame changes only when it is taken afresh, which is reported.
    bool watchChanges(std::function<void()> changed) override;

private:
    [[nodiscard]] CaptureResult<PixelBuffer> copy(std::uint32_t displayId, const Rect& rect,
                                                  double scale) const;

    const DisplayPort& displays_;
    StillFrames& frames_;
    QObject context_; ///< for posted calls
};

} // namespace spanlet::stillframe
