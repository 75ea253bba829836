#include <spanlet/wayland/CaptureRegion.hpp>
#include <spanlet/wayland/HoleCapture.hpp>

namespace spanlet::wayland {

void HoleCapture::pixels(const ScreenCapture::Filter& filter, const Rect& rect, double scale,
                         std::function<void(CaptureResult<PixelBuffer>)> done) {
    if (!punch_ && !panelOpen_) {
        inner_.pixels(filter, rect, scale, std::move(done));
        return;
    }
    const PixelRect hole = CaptureRegion::devicePixels(rect, scale);
    if (panelOpen_) {
        panelOpen_(filter.displayId, hole);
    }
    auto copy = [this, filter, rect, scale, hole, done = std::move(done)]() mutable {
        inner_.pixels(filter, rect, scale,
                      [this, id = filter.displayId, hole,
                       done = std::move(done)](CaptureResult<PixelBuffer> result) {
                          done(std::move(result));
                          if (copied_) {
                              copied_(id, hole);
                          }
                          if (panelClose_) {
                              panelClose_(id, hole);
                          }
                      });
    };
    if (punch_) {
        punch_(filter.displayId, hole, std::move(copy));
    } else {
        copy();
    }
}

} // namespace spanlet::wayland
