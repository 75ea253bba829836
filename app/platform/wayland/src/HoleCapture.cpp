#include <spanlet/wayland/CaptureRegion.hpp>
#include <spanlet/wayland/HoleCapture.hpp>

namespace spanlet::wayland {

void HoleCapture::pixels(const ScreenCapture::Filter& filter, const Rect& rect, double scale,
                         std::function<void(CaptureResult<PixelBuffer>)> done) {
    if (!punch_) {
        inner_.pixels(filter, rect, scale, std::move(done));
        return;
    }
    punch_(filter.displayId, CaptureRegion::devicePixels(rect, scale),
           [this, filter, rect, scale, done = std::move(done)]() mutable {
               inner_.pixels(filter, rect, scale,
                             [this, done = std::move(done)](CaptureResult<PixelBuffer> result) {
                                 done(std::move(result));
                                 if (copied_) {
                                     copied_();
                                 }
                             });
           });
}

} // namespace spanlet::wayland
