// A still frame from a video source that loses the frame it sends as its stream starts, as
// GNOME's screen cast does when that frame goes out before the reader's side of the link is up:
// the source here sends a frame each time its stream starts, except the first. The grab must
// still get a frame, well within its own time limit. Run where PipeWire and its session
// manager are (mutter_screencast.sh); exits 1 when no frame or a wrong one comes.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>
#include <thread>

#include <spanlet/stillframe/PipeWireFrame.hpp>

using namespace spanlet::stillframe;

namespace {

constexpr int kSide = 64;
constexpr int kStride = kSide * 4;
constexpr QRgb kColour = 0xff336699;

class LossySource {
public:
    LossySource() {
        loop_ = pw_thread_loop_new("lossy-source", nullptr);
        context_ = pw_context_new(pw_thread_loop_get_loop(loop_), nullptr, 0);
        core_ = pw_context_connect(context_, nullptr, 0);
        if (core_ == nullptr) {
            return;
        }
        stream_ = pw_stream_new(core_, "lossy-source",
                                pw_properties_new(PW_KEY_MEDIA_CLASS, "Video/Source", nullptr));
        pw_stream_add_listener(stream_, &listener_, &events, this);
        std::array<std::uint8_t, 512> buffer{};
        spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer.data(), buffer.size());
        const spa_rectangle size{kSide, kSide};
        const spa_fraction rate{0, 1};
        const auto* format = static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
            SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype,
            SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
            SPA_POD_Id(SPA_VIDEO_FORMAT_BGRx), SPA_FORMAT_VIDEO_size, SPA_POD_Rectangle(&size),
            SPA_FORMAT_VIDEO_framerate, SPA_POD_Fraction(&rate)));
        pw_stream_connect(
            stream_, PW_DIRECTION_OUTPUT, PW_ID_ANY,
            static_cast<pw_stream_flags>(PW_STREAM_FLAG_DRIVER | PW_STREAM_FLAG_MAP_BUFFERS),
            &format, 1);
        pw_thread_loop_start(loop_);
    }
    LossySource(const LossySource&) = delete;
    LossySource& operator=(const LossySource&) = delete;
    ~LossySource() {
        pw_thread_loop_stop(loop_);
        if (stream_ != nullptr) {
            pw_stream_destroy(stream_);
        }
        if (core_ != nullptr) {
            pw_core_disconnect(core_);
        }
        pw_context_destroy(context_);
        pw_thread_loop_destroy(loop_);
    }

    // The stream's node, once PipeWire has it.
    std::uint32_t node() const { return node_; }
    int starts() const { return starts_; }

private:
    static void onState(void* data, pw_stream_state /*old*/, pw_stream_state state,
                        const char* /*error*/) {
        auto* self = static_cast<LossySource*>(data);
        if (state == PW_STREAM_STATE_PAUSED && self->node_ == SPA_ID_INVALID) {
            self->node_ = pw_stream_get_node_id(self->stream_);
        }
        if (state == PW_STREAM_STATE_STREAMING && ++self->starts_ > 1) {
            self->send();
        }
    }

    static void onParam(void* data, std::uint32_t id, const spa_pod* param) {
        auto* self = static_cast<LossySource*>(data);
        if (param == nullptr || id != SPA_PARAM_Format) {
            return;
        }
        std::array<std::uint8_t, 256> buffer{};
        spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer.data(), buffer.size());
        const auto* buffers = static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &builder, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_buffers,
            SPA_POD_CHOICE_RANGE_Int(4, 2, 8), SPA_PARAM_BUFFERS_blocks, SPA_POD_Int(1),
            SPA_PARAM_BUFFERS_size, SPA_POD_Int(kStride * kSide), SPA_PARAM_BUFFERS_stride,
            SPA_POD_Int(kStride)));
        pw_stream_update_params(self->stream_, &buffers, 1);
    }

    void send() {
        pw_buffer* buffer = pw_stream_dequeue_buffer(stream_);
        if (buffer == nullptr) {
            return;
        }
        spa_data& data = buffer->buffer->datas[0];
        auto* pixels = static_cast<std::uint32_t*>(data.data);
        std::fill_n(pixels, kSide * kSide, kColour);
        data.chunk->offset = 0;
        data.chunk->size = kStride * kSide;
        data.chunk->stride = kStride;
        data.chunk->flags = SPA_CHUNK_FLAG_NONE;
        pw_stream_queue_buffer(stream_, buffer);
    }

    static constexpr pw_stream_events events = [] {
        pw_stream_events e{};
        e.version = PW_VERSION_STREAM_EVENTS;
        e.state_changed = &LossySource::onState;
        e.param_changed = &LossySource::onParam;
        return e;
    }();

    pw_thread_loop* loop_ = nullptr;
    pw_context* context_ = nullptr;
    pw_core* core_ = nullptr;
    pw_stream* stream_ = nullptr;
    spa_hook listener_{};
    std::atomic<std::uint32_t> node_{SPA_ID_INVALID};
    std::atomic<int> starts_{0};
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    pw_init(nullptr, nullptr);
    LossySource source;
    for (int i = 0; i < 500 && source.node() == SPA_ID_INVALID; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (source.node() == SPA_ID_INVALID) {
        std::fprintf(stderr, "the source never got a node\n");
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    int status = 1;
    PipeWireFrame::take(-1, source.node(), [&](PipeWireResult result) {
        if (const auto* error = std::get_if<std::string>(&result)) {
            std::fprintf(stderr, "no frame after %d starts: %s\n", source.starts(), error->c_str());
        } else if (const QImage& image = std::get<QImage>(result);
                   image.size() != QSize(kSide, kSide) ||
                   image.pixel(kSide / 2, kSide / 2) != kColour) {
            std::fprintf(stderr, "a wrong frame: %dx%d\n", image.width(), image.height());
        } else {
            std::printf("the frame came after %d starts, in %lld ms\n", source.starts(),
                        static_cast<long long>(clock.elapsed()));
            status = 0;
        }
        QCoreApplication::exit(status);
    });
    return QCoreApplication::exec();
}
