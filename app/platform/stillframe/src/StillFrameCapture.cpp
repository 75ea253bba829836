#include <algorithm>
#include <cmath>
#include <utility>

#include <spanlet/platform/DisplayPort.hpp>
#include <spanlet/stillframe/StillFrameCapture.hpp>
#include <spanlet/stillframe/StillFrames.hpp>

namespace spanlet::stillframe {

StillFrameCapture::StillFrameCapture(const DisplayPort& displays, StillFrames& frames)
    : displays_(displays), frames_(frames) {}

void StillFrameCapture::filter(std::uint32_t displayId,
                               std::function<void(CaptureResult<ScreenCapture::Filter>)> done) {
    const std::vector<ScreenInfo> screens = displays_.currentScreens();
    const bool known = std::any_of(screens.begin(), screens.end(),
                                   [displayId](const ScreenInfo& s) { return s.id == displayId; });
    QMetaObject::invokeMethod(
        &context_,
        [done = std::move(done), displayId, known] {
            if (known) {
                done(ScreenCapture::Filter{displayId, nullptr});
            } else {
                done(ScreenCapture::Error{ScreenCapture::Failure::noDisplay});
            }
        },
        Qt::QueuedConnection);
}

void StillFrameCapture::pixels(const ScreenCapture::Filter& filter, const Rect& rect, double scale,
                               std::function<void(CaptureResult<PixelBuffer>)> done) {
    frames_.await([this, id = filter.displayId, rect, scale,
                   done = std::move(done)](std::optional<ScreenCapture::Error> problem) {
        done(problem ? CaptureResult<PixelBuffer>(*problem) : copy(id, rect, scale));
    });
}

bool StillFrameCapture::watchChanges(std::function<void()> changed) {
    const bool watching = bool(changed);
    frames_.watch(std::move(changed));
    return watching;
}

CaptureResult<PixelBuffer> StillFrameCapture::copy(std::uint32_t displayId, const Rect& rect,
                                                   double scale) const {
    const StillFrames::Frame* frame = frames_.frame(displayId);
    if (frame == nullptr) {
        return ScreenCapture::Error{ScreenCapture::Failure::noImage};
    }
    if (!std::isfinite(scale) || scale <= 0) {
        scale = frame->display.scale.factor();
    }
    const ScreenCapture::PixelSize size = ScreenCapture::outputSize(rect, scale);
    PixelBuffer out(size.width, size.height, RGBA{});
    // Frame pixels per output pixel: 1 at the display's own scale. The display's scale, not
    // the frame's size over the display's: where Qt reports a scaled output's size in device
    // pixels (mutter's layout in physical pixels), the scale still maps our points to them.
    const double framePerPoint = frame->display.scale.factor();
    const double step = framePerPoint / scale;
    const double left = std::round(rect.x * scale);
    const double top = std::round(rect.y * scale);
    const QImage& image = frame->image;
    for (std::int64_t y = 0; y < size.height; ++y) {
        const auto sy = static_cast<int>(std::floor((top + double(y)) * step));
        if (sy < 0 || sy >= image.height()) {
            continue;
        }
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(sy));
        for (std::int64_t x = 0; x < size.width; ++x) {
            const auto sx = static_cast<int>(std::floor((left + double(x)) * step));
            if (sx >= 0 && sx < image.width()) {
                const QRgb p = line[sx];
                out(x, y) =
                    RGBA(static_cast<std::uint8_t>(qRed(p)), static_cast<std::uint8_t>(qGreen(p)),
                         static_cast<std::uint8_t>(qBlue(p)), 255);
            }
        }
    }
    return out;
}

} // namespace spanlet::stillframe
