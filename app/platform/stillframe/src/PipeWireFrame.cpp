#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <array>
#include <ctime>
#include <memory>
#include <mutex>
#include <optional>
#include <pipewire/pipewire.h>
#include <spa/debug/types.h>
#include <spa/param/video/format-utils.h>
#include <spa/param/video/type-info.h>
#include <spa/utils/result.h>
#include <unistd.h>
#include <utility>

#include <spanlet/stillframe/FramePixels.hpp>
#include <spanlet/stillframe/PipeWireFrame.hpp>

namespace spanlet::stillframe {

namespace {

// How long a stream may take to link, agree a format and deliver its first frame.
constexpr int timeoutMs = 5000;
// How long a running stream may go without a frame before it is paused and started again.
// GNOME's screen cast draws one frame when a stream starts and none after on a still screen;
// when that frame goes out before the link is up here, it is lost. A restart draws a new one.
constexpr timespec nudgeAfter{0, 500'000'000};

std::optional<PixelLayout> layout(spa_video_format format) {
    switch (format) {
    case SPA_VIDEO_FORMAT_BGRx:
    case SPA_VIDEO_FORMAT_BGRA:
        return PixelLayout::bgrx;
    case SPA_VIDEO_FORMAT_RGBx:
    case SPA_VIDEO_FORMAT_RGBA:
        return PixelLayout::rgbx;
    default:
        return std::nullopt;
    }
}

// One stream's first frame, from connecting to letting go. Made and ended on the main thread;
// PipeWire's callbacks run on the loop's own thread and only post their outcome back.
class FrameGrab final : public QObject {
public:
    // A child of the application, so that a grab still running at its end stops its thread.
    explicit FrameGrab(std::function<void(PipeWireResult)> done)
        : QObject(QCoreApplication::instance()), done_(std::move(done)) {}
    FrameGrab(const FrameGrab&) = delete;
    FrameGrab& operator=(const FrameGrab&) = delete;
    ~FrameGrab() override { release(); }

    // Sets everything up and starts the loop; an error string when that fails (the fd is
    // closed either way).
    std::optional<std::string> start(int remoteFd, std::uint32_t node) {
        loop_ = pw_thread_loop_new("spanlet-frame", nullptr);
        if (loop_ == nullptr) {
            closeFd(remoteFd);
            return "PipeWire could not start its loop.";
        }
        context_ = pw_context_new(pw_thread_loop_get_loop(loop_), nullptr, 0);
        if (context_ == nullptr) {
            closeFd(remoteFd);
            return "PipeWire could not start.";
        }
        core_ = remoteFd < 0 ? pw_context_connect(context_, nullptr, 0)
                             : pw_context_connect_fd(context_, remoteFd, nullptr, 0);
        if (core_ == nullptr) {
            return remoteFd < 0 ? "PipeWire is not running." : "PipeWire refused the connection.";
        }
        pw_core_add_listener(core_, &coreListener_, &coreEvents, this);
        stream_ = pw_stream_new(core_, "spanlet-frame",
                                pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY,
                                                  "Capture", PW_KEY_MEDIA_ROLE, "Screen", nullptr));
        if (stream_ == nullptr) {
            return "PipeWire could not make a stream.";
        }
        pw_stream_add_listener(stream_, &streamListener_, &streamEvents, this);
        nudge_ = pw_loop_add_timer(pw_thread_loop_get_loop(loop_), &FrameGrab::onNudge, this);
        if (nudge_ == nullptr) {
            return "PipeWire could not make a timer.";
        }

        std::array<std::uint8_t, 1024> buffer{};
        spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer.data(), buffer.size());
        const spa_rectangle minSize{1, 1};
        const spa_rectangle defaultSize{1280, 800};
        const spa_rectangle maxSize{16384, 16384};
        const spa_fraction noRate{0, 1};
        const spa_fraction maxRate{1000, 1};
        // A still frame wants no particular rate; mutter offers a range starting at 0/1.
        const spa_pod* format = static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
            SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype,
            SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
            SPA_POD_CHOICE_ENUM_Id(5, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx,
                                   SPA_VIDEO_FORMAT_BGRA, SPA_VIDEO_FORMAT_RGBx,
                                   SPA_VIDEO_FORMAT_RGBA),
            SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&defaultSize, &minSize, &maxSize),
            SPA_FORMAT_VIDEO_framerate, SPA_POD_CHOICE_RANGE_Fraction(&noRate, &noRate, &maxRate)));
        const int connected = pw_stream_connect(
            stream_, PW_DIRECTION_INPUT, node,
            static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS),
            &format, 1);
        if (connected < 0) {
            return std::string("PipeWire could not connect to the screen cast: ") +
                   spa_strerror(connected);
        }
        if (pw_thread_loop_start(loop_) < 0) {
            return "PipeWire could not start its loop.";
        }
        return std::nullopt;
    }

    // Main thread: hands the outcome on, once, and goes. The stream goes with it, after the
    // frame is on its way: letting it go takes 10-25 ms.
    void finish(PipeWireResult result) {
        if (!done_) {
            return;
        }
        auto done = std::move(done_);
        done_ = nullptr;
        deleteLater();
        done(std::move(result));
    }

private:
    // Stops the loop thread before anything it uses goes.
    void release() {
        if (loop_ != nullptr) {
            pw_thread_loop_stop(loop_);
            if (nudge_ != nullptr) {
                pw_loop_destroy_source(pw_thread_loop_get_loop(loop_), nudge_);
                nudge_ = nullptr;
            }
        }
        if (stream_ != nullptr) {
            spa_hook_remove(&streamListener_);
            pw_stream_destroy(stream_);
            stream_ = nullptr;
        }
        if (core_ != nullptr) {
            spa_hook_remove(&coreListener_);
            pw_core_disconnect(core_);
            core_ = nullptr;
        }
        if (context_ != nullptr) {
            pw_context_destroy(context_);
            context_ = nullptr;
        }
        if (loop_ != nullptr) {
            pw_thread_loop_destroy(loop_);
            loop_ = nullptr;
        }
    }

    static void closeFd(int fd) {
        if (fd >= 0) {
            ::close(fd);
        }
    }

    // Loop thread: the outcome to the main thread, once.
    void post(PipeWireResult result) {
        if (posted_) {
            return;
        }
        posted_ = true;
        QMetaObject::invokeMethod(
            this, [this, result = std::move(result)]() mutable { finish(std::move(result)); },
            Qt::QueuedConnection);
    }

    static void onCoreError(void* data, std::uint32_t id, int /*seq*/, int res,
                            const char* message) {
        auto* self = static_cast<FrameGrab*>(data);
        if (id == PW_ID_CORE) {
            self->post(std::string("PipeWire failed: ") + (message != nullptr ? message : "") +
                       " (" + spa_strerror(res) + ").");
        }
    }

    static void onStateChanged(void* data, pw_stream_state /*old*/, pw_stream_state state,
                               const char* error) {
        auto* self = static_cast<FrameGrab*>(data);
        if (state == PW_STREAM_STATE_STREAMING) {
            timespec wait = nudgeAfter;
            pw_loop_update_timer(pw_thread_loop_get_loop(self->loop_), self->nudge_, &wait, nullptr,
                                 false);
        }
        if (state == PW_STREAM_STATE_ERROR) {
            self->post(std::string("The screen cast failed: ") +
                       (error != nullptr ? error : "no reason given") + ".");
        }
    }

    // Loop thread: still no frame a while after the stream started, so it starts again; that
    // arms the timer anew.
    static void onNudge(void* data, std::uint64_t /*expirations*/) {
        auto* self = static_cast<FrameGrab*>(data);
        if (!self->posted_) {
            pw_stream_set_active(self->stream_, false);
            pw_stream_set_active(self->stream_, true);
        }
    }

    static void onParamChanged(void* data, std::uint32_t id, const spa_pod* param) {
        auto* self = static_cast<FrameGrab*>(data);
        if (param == nullptr || id != SPA_PARAM_Format) {
            return;
        }
        spa_video_info_raw info{};
        if (spa_format_video_raw_parse(param, &info) < 0 || !layout(info.format)) {
            self->post(std::string("The screen cast offers no picture format this can read."));
            return;
        }
        self->format_ = info.format;
        self->size_ = info.size;

        // Buffers in memory (not on the GPU), and where the picture sits in them if not all
        // of it is the display.
        std::array<std::uint8_t, 1024> buffer{};
        spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer.data(), buffer.size());
        std::array<const spa_pod*, 2> params{
            static_cast<const spa_pod*>(spa_pod_builder_add_object(
                &builder, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers,
                SPA_PARAM_BUFFERS_dataType,
                SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemFd) | (1 << SPA_DATA_MemPtr)))),
            static_cast<const spa_pod*>(spa_pod_builder_add_object(
                &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
                SPA_POD_Id(SPA_META_VideoCrop), SPA_PARAM_META_size,
                SPA_POD_Int(sizeof(spa_meta_region))))};
        pw_stream_update_params(self->stream_, params.data(), params.size());
    }

    static void onProcess(void* data) {
        auto* self = static_cast<FrameGrab*>(data);
        pw_buffer* buffer = pw_stream_dequeue_buffer(self->stream_);
        if (buffer == nullptr) {
            return;
        }
        if (!self->posted_) {
            std::optional<QImage> image = self->copy(*buffer->buffer);
            if (image) {
                self->post(std::move(*image));
            }
        }
        pw_stream_queue_buffer(self->stream_, buffer);
    }

    // The buffer's picture as RGB32, or nothing when it holds none (an empty or damaged
    // buffer: the next one will).
    std::optional<QImage> copy(const spa_buffer& buffer) const {
        const std::optional<PixelLayout> pixelLayout = layout(format_);
        if (!pixelLayout || buffer.n_datas < 1) {
            return std::nullopt;
        }
        const spa_data& data = buffer.datas[0];
        if (data.data == nullptr || data.chunk->size == 0 ||
            (data.chunk->flags & SPA_CHUNK_FLAG_CORRUPTED) != 0) {
            return std::nullopt;
        }
        const QSize pixels(static_cast<int>(size_.width), static_cast<int>(size_.height));
        QRect area(QPoint(0, 0), pixels);
        const auto* crop = static_cast<const spa_meta_region*>(
            spa_buffer_find_meta_data(&buffer, SPA_META_VideoCrop, sizeof(spa_meta_region)));
        if (crop != nullptr && spa_meta_region_is_valid(crop)) {
            area = QRect(crop->region.position.x, crop->region.position.y,
                         static_cast<int>(crop->region.size.width),
                         static_cast<int>(crop->region.size.height));
        }
        const std::uint32_t offset = data.chunk->offset % std::max<std::uint32_t>(data.maxsize, 1);
        const FramePlane plane{
            static_cast<const std::uint8_t*>(data.data) + offset, data.maxsize - offset,
            data.chunk->stride > 0 ? data.chunk->stride : std::int64_t{pixels.width()} * 4, pixels,
            *pixelLayout};
        QImage image = framePixels(plane, area);
        if (image.isNull()) {
            return std::nullopt;
        }
        return image;
    }

    static constexpr pw_core_events coreEvents = [] {
        pw_core_events events{};
        events.version = PW_VERSION_CORE_EVENTS;
        events.error = &FrameGrab::onCoreError;
        return events;
    }();
    static constexpr pw_stream_events streamEvents = [] {
        pw_stream_events events{};
        events.version = PW_VERSION_STREAM_EVENTS;
        events.state_changed = &FrameGrab::onStateChanged;
        events.param_changed = &FrameGrab::onParamChanged;
        events.process = &FrameGrab::onProcess;
        return events;
    }();

    std::function<void(PipeWireResult)> done_;
    pw_thread_loop* loop_ = nullptr;
    pw_context* context_ = nullptr;
    pw_core* core_ = nullptr;
    pw_stream* stream_ = nullptr;
    spa_hook coreListener_{};
    spa_hook streamListener_{};
    spa_source* nudge_ = nullptr;
    // Loop thread only, once the loop runs.
    spa_video_format format_ = SPA_VIDEO_FORMAT_UNKNOWN;
    spa_rectangle size_{};
    bool posted_ = false;
};

} // namespace

// Each grab frees itself in finish(), which the analyzer cannot follow.
// NOLINTBEGIN(clang-analyzer-cplusplus.NewDeleteLeaks)
void PipeWireFrame::take(int remoteFd, std::uint32_t node,
                         std::function<void(PipeWireResult)> done) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { pw_init(nullptr, nullptr); });

    // Frees itself once it has handed the outcome on: a failure to start at once, or else the
    // frame, an error, or the end of the wait.
    auto* grab = new FrameGrab(std::move(done));
    std::optional<std::string> error = grab->start(remoteFd, node);
    const int wait = error ? 0 : timeoutMs;
    if (!error) {
        error = "The screen cast sent no picture within 5 seconds.";
    }
    QTimer::singleShot(wait, grab, [grab, error = std::move(*error)]() mutable {
        grab->finish(std::move(error));
    });
}
// NOLINTEND(clang-analyzer-cplusplus.NewDeleteLeaks)

} // namespace spanlet::stillframe
