#include <algorithm>
#include <wayland-client.h>
#include <wlr-screencopy-unstable-v1-client-protocol.h>

#include <spanlet/wayland/CaptureRegion.hpp>
#include <spanlet/wayland/Outputs.hpp>
#include <spanlet/wayland/WaylandCapture.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>

#include "ShmBuffers.hpp"

namespace spanlet::wayland {

namespace {

using ScreenCapture::Error;
using ScreenCapture::Failure;

/// What a filter holds: the output's display id is the whole story on Wayland, where the
/// compositor copies the output as shown.
class OutputFilter final : public ScreenCapture::FilterHandle {};

} // namespace

struct WaylandCapture::Copy {
    WaylandCapture* owner = nullptr;
    zwlr_screencopy_frame_v1* frame = nullptr;
    CaptureRegion::Region region;
    Rect rect;
    double scale = 1;
    std::function<void(CaptureResult<PixelBuffer>)> done;
    ShmBuffers::Buffer* buffer = nullptr;
    std::optional<CaptureRegion::Frame> offered;
    bool yInvert = false;

    static void onBuffer(void* data, zwlr_screencopy_frame_v1* frame, std::uint32_t format,
                         std::uint32_t width, std::uint32_t height, std::uint32_t stride) {
        auto* c = static_cast<Copy*>(data);
        if (!c->offered && CaptureRegion::readable(format)) {
            c->offered = CaptureRegion::Frame{format,
                                              static_cast<std::int32_t>(width),
                                              static_cast<std::int32_t>(height),
                                              static_cast<std::int32_t>(stride),
                                              false,
                                              {}};
        }
        // Before version 3 the one buffer event is all there is.
        if (zwlr_screencopy_frame_v1_get_version(frame) < 3) {
            c->copy();
        }
    }
    static void onFlags(void* data, zwlr_screencopy_frame_v1* /*frame*/, std::uint32_t flags) {
        static_cast<Copy*>(data)->yInvert = (flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT) != 0;
    }
    static void onReady(void* data, zwlr_screencopy_frame_v1* /*frame*/, std::uint32_t /*hi*/,
                        std::uint32_t /*lo*/, std::uint32_t /*nsec*/) {
        auto* c = static_cast<Copy*>(data);
        if (c->owner->trace_) {
            c->owner->trace_("copied");
        }
        CaptureRegion::Frame f = *c->offered;
        f.yInvert = c->yInvert;
        f.bytes = c->buffer->bytes;
        std::optional<PixelBuffer> pixels = CaptureRegion::pixels(f, c->region, c->rect, c->scale);
        if (pixels) {
            c->finish(std::move(*pixels));
        } else {
            c->finish(Error{Failure::noImage});
        }
    }
    static void onFailed(void* data, zwlr_screencopy_frame_v1* /*frame*/) {
        static_cast<Copy*>(data)->finish(Error{"The compositor could not copy the screen"});
    }
    static void onDamage(void* /*data*/, zwlr_screencopy_frame_v1* /*frame*/, std::uint32_t /*x*/,
                         std::uint32_t /*y*/, std::uint32_t /*w*/, std::uint32_t /*h*/) {}
    static void onDmabuf(void* /*data*/, zwlr_screencopy_frame_v1* /*frame*/,
                         std::uint32_t /*format*/, std::uint32_t /*w*/, std::uint32_t /*h*/) {}
    static void onBufferDone(void* data, zwlr_screencopy_frame_v1* /*frame*/) {
        static_cast<Copy*>(data)->copy();
    }
    static constexpr zwlr_screencopy_frame_v1_listener listener{
        onBuffer, onFlags, onReady, onFailed, onDamage, onDmabuf, onBufferDone};

    void copy() {
        if (buffer != nullptr) {
            return;
        }
        if (offered) {
            buffer = owner->buffers_->acquire(offered->format, offered->width, offered->height,
                                              offered->stride);
        }
        if (buffer == nullptr) {
            finish(Error{Failure::noImage});
            return;
        }
        zwlr_screencopy_frame_v1_copy(frame, buffer->buffer);
    }

    /// Hands the result over and removes this copy (the last thing it does).
    void finish(CaptureResult<PixelBuffer> result) {
        auto callback = std::move(done);
        WaylandCapture* o = owner;
        o->buffers_->release(buffer);
        zwlr_screencopy_frame_v1_destroy(frame);
        std::erase_if(o->copies_, [this](const auto& c) { return c.get() == this; });
        callback(std::move(result));
    }
};

WaylandCapture::WaylandCapture(WaylandConnection& connection)
    : connection_(connection), buffers_(std::make_unique<ShmBuffers>(connection.globals().shm)),
      alive_(std::make_shared<bool>(true)) {}

WaylandCapture::~WaylandCapture() {
    for (const auto& c : copies_) {
        zwlr_screencopy_frame_v1_destroy(c->frame);
    }
    copies_.clear();
    *alive_ = false;
}

std::size_t WaylandCapture::buffersMade() const {
    return buffers_->made();
}

void WaylandCapture::filter(std::uint32_t displayId,
                            std::function<void(CaptureResult<ScreenCapture::Filter>)> done) {
    CaptureResult<ScreenCapture::Filter> result = Error{Failure::noDisplay};
    if (connection_.outputs().output(displayId) != nullptr) {
        result = ScreenCapture::Filter{displayId, std::make_shared<const OutputFilter>()};
    }
    connection_.post([alive = std::weak_ptr<bool>(alive_), done = std::move(done),
                      result = std::move(result)]() mutable {
        if (alive.lock()) {
            done(std::move(result));
        }
    });
}

void WaylandCapture::pixels(const ScreenCapture::Filter& filter, const Rect& rect, double scale,
                            std::function<void(CaptureResult<PixelBuffer>)> done) {
    const auto fail = [&](Error error) {
        connection_.post([alive = std::weak_ptr<bool>(alive_), done = std::move(done),
                          error = std::move(error)]() mutable {
            if (alive.lock()) {
                done(std::move(error));
            }
        });
    };
    const Globals& g = connection_.globals();
    wl_output* output = connection_.outputs().output(filter.displayId);
    const std::optional<ScreenInfo> screen = connection_.outputs().screen(output);
    if (output == nullptr || !screen || g.screencopy == nullptr) {
        fail(Error{Failure::noDisplay});
        return;
    }
    const std::optional<CaptureRegion::Region> region =
        CaptureRegion::covering(rect, screen->frame.size());
    if (!region) {
        fail(Error{Failure::noImage});
        return;
    }
    auto copy = std::make_unique<Copy>();
    copy->owner = this;
    copy->region = *region;
    copy->rect = rect;
    copy->scale = scale;
    copy->done = std::move(done);
    if (trace_) {
        trace_("asked");
    }
    copy->frame = zwlr_screencopy_manager_v1_capture_output_region(
        g.screencopy, 0, output, region->x, region->y, region->width, region->height);
    zwlr_screencopy_frame_v1_add_listener(copy->frame, &Copy::listener, copy.get());
    copies_.push_back(std::move(copy));
    connection_.send();
}

} // namespace spanlet::wayland
