#include <spanlet/wayland/CaptureRegion.hpp>
#include <spanlet/wayland/HoleCapture.hpp>

namespace spanlet::wayland {

void HoleCapture::pixels(const ScreenCapture::Filter& filter, const Rect& rect, double scale,
                         std::function<void(CaptureResult<PixelBuffer>)> done) {
    if (!punch_) {
        inner_.pixels(filter, rect, scale, std::move(done));
        return;
    }
    const PixelRect hole = CaptureRegion::devicePixels(rect, scale);
    punch_(filter.displayId, hole,
           [this, filter, rect, scale, hole, done = std::move(done)]() mutable {
               inner_.pixels(filter, rect, scale,
                             [this, id = filter.displayId, hole,
                              done = std::move(done)](CaptureResult<PixelBuffer> result) {
                                 done(std::move(result));
                                 if (copied_) {
                                     copied_(id, hole);
                                 }
                             });
           });
}

} // namespace spanlet::wayland
