#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QImage>
#include <QSocketNotifier>
#include <QVariantMap>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <optional>
#include <unistd.h>
#include <wayland-client-protocol.h>

#include <spanlet/kwin/ScreenShotCapture.hpp>
#include <spanlet/wayland/CaptureRegion.hpp>
#include <spanlet/wayland/Outputs.hpp>
#include <spanlet/wayland/WaylandConnection.hpp>

namespace spanlet::kwin {

namespace {

using ScreenCapture::Error;
using ScreenCapture::Failure;

constexpr QLatin1String kService("org.kde.KWin.ScreenShot2");
constexpr QLatin1String kPath("/org/kde/KWin/ScreenShot2");

/// A display's filter is its id: KWin copies the screen as shown.
class OutputFilter final : public ScreenCapture::FilterHandle {};

/// What KWin answered about the pixels it writes.
struct Answer {
    int width = 0;
    int height = 0;
    int stride = 0;
    QImage::Format format = QImage::Format_Invalid;
};

std::optional<Answer> answer(const QVariantMap& results) {
    Answer a{results.value(QStringLiteral("width")).toInt(),
             results.value(QStringLiteral("height")).toInt(),
             results.value(QStringLiteral("stride")).toInt(),
             static_cast<QImage::Format>(results.value(QStringLiteral("format")).toUInt())};
    const bool raw = results.value(QStringLiteral("type"), QStringLiteral("raw")).toString() ==
                     QLatin1String("raw");
    if (!raw || a.width <= 0 || a.height <= 0 || a.stride < a.width ||
        a.format <= QImage::Format_Invalid || a.format >= QImage::NImageFormats) {
        return std::nullopt;
    }
    return a;
}

} // namespace

struct ScreenShotCapture::Copy {
    ScreenShotCapture* owner = nullptr;
    CaptureRegion::Region region;
    Rect rect;
    double scale = 1;
    std::function<void(CaptureResult<PixelBuffer>)> done;
    int fd = -1; ///< the pipe's read end, non-blocking
    std::unique_ptr<QSocketNotifier> readable;
    QByteArray bytes;
    bool ended = false; ///< KWin closed its end
    std::unique_ptr<QDBusPendingCallWatcher> call;
    std::optional<Answer> answered;

    ~Copy() {
        readable.reset();
        if (fd >= 0) {
            ::close(fd);
        }
    }

    /// Takes what the pipe holds; at its end, finishes once KWin has answered too.
    void read() {
        char chunk[65536];
        for (;;) {
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n > 0) {
                bytes.append(chunk, static_cast<qsizetype>(n));
                continue;
            }
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n == 0) {
                ended = true;
                readable->setEnabled(false);
                complete();
            } else if (errno != EAGAIN && errno != EWOULDBLOCK) {
                finish(Error{Failure::noImage});
            } else {
                complete();
            }
            return;
        }
    }

    void replied() {
        const QDBusPendingReply<QVariantMap> reply = *call;
        if (reply.isError()) {
            finish(Error{"KWin did not copy the screen: " + reply.error().message().toStdString()});
            return;
        }
        answered = answer(reply.value());
        if (!answered) {
            finish(Error{Failure::noImage});
            return;
        }
        complete();
    }

    /// Finishes once KWin has answered and written every byte it said it would. Not at the
    /// pipe's end only: the pending call keeps the message, and with it our copy of the write
    /// end, until it is deleted.
    void complete() {
        if (!answered) {
            return;
        }
        const qsizetype expected = static_cast<qsizetype>(answered->stride) * answered->height;
        if (bytes.size() < expected && !ended) {
            return;
        }
        if (owner->trace_) {
            owner->trace_("copied");
        }
        const Answer& a = *answered;
        if (bytes.size() < expected) {
            finish(Error{Failure::noImage});
            return;
        }
        // The pixels as 32-bit xRGB, which the region is cut from as from a screencopy frame.
        QImage image(reinterpret_cast<const uchar*>(bytes.constData()), a.width, a.height, a.stride,
                     a.format);
        if (image.format() != QImage::Format_RGB32) {
            image = image.convertToFormat(QImage::Format_RGB32);
        }
        const CaptureRegion::Frame frame{
            WL_SHM_FORMAT_XRGB8888,
            image.width(),
            image.height(),
            static_cast<std::int32_t>(image.bytesPerLine()),
            false,
            {image.constBits(), static_cast<std::size_t>(image.sizeInBytes())}};
        std::optional<PixelBuffer> pixels = CaptureRegion::pixels(frame, region, rect, scale);
        if (pixels) {
            finish(std::move(*pixels));
        } else {
            finish(Error{Failure::noImage});
        }
    }

    /// Hands the result over and removes this copy (the last thing it does).
    void finish(CaptureResult<PixelBuffer> result) {
        auto callback = std::move(done);
        ScreenShotCapture* o = owner;
        auto self = std::find_if(o->copies_.begin(), o->copies_.end(),
                                 [this](const auto& c) { return c.get() == this; });
        // Deleted after the callback: this may be running inside one of its own handlers.
        std::unique_ptr<Copy> gone = std::move(*self);
        o->copies_.erase(self);
        // The notifier and the call may be the ones whose handler runs now.
        gone->readable->setEnabled(false);
        gone->readable.release()->deleteLater();
        callback(std::move(result));
        if (QDBusPendingCallWatcher* watcher = gone->call.release()) {
            watcher->deleteLater();
        }
    }
};

ScreenShotCapture::ScreenShotCapture(wayland::WaylandConnection& connection, QDBusConnection bus)
    : connection_(connection), bus_(std::move(bus)), alive_(std::make_shared<bool>(true)) {}

ScreenShotCapture::~ScreenShotCapture() {
    *alive_ = false;
}

bool ScreenShotCapture::offered(const QDBusConnection& bus) {
    return bus.isConnected() && bus.interface() != nullptr &&
           bus.interface()->isServiceRegistered(kService).value();
}

template <class T>
void ScreenShotCapture::later(std::function<void(CaptureResult<T>)> done, CaptureResult<T> result) {
    connection_.post([alive = std::weak_ptr<bool>(alive_), done = std::move(done),
                      result = std::move(result)]() mutable {
        if (alive.lock()) {
            done(std::move(result));
        }
    });
}

void ScreenShotCapture::filter(std::uint32_t displayId,
                               std::function<void(CaptureResult<ScreenCapture::Filter>)> done) {
    CaptureResult<ScreenCapture::Filter> result = Error{Failure::noDisplay};
    if (connection_.outputs().output(displayId) != nullptr) {
        result = ScreenCapture::Filter{displayId, std::make_shared<const OutputFilter>()};
    }
    later(std::move(done), std::move(result));
}

void ScreenShotCapture::pixels(const ScreenCapture::Filter& filter, const Rect& rect, double scale,
                               std::function<void(CaptureResult<PixelBuffer>)> done) {
    wl_output* output = connection_.outputs().output(filter.displayId);
    const std::optional<ScreenInfo> screen = connection_.outputs().screen(output);
    if (output == nullptr || !screen) {
        later<PixelBuffer>(std::move(done), Error{Failure::noDisplay});
        return;
    }
    const std::optional<CaptureRegion::Region> region =
        CaptureRegion::covering(rect, screen->frame.size());
    int ends[2] = {-1, -1};
    if (!region || ::pipe2(ends, O_CLOEXEC) != 0) {
        later<PixelBuffer>(std::move(done), Error{Failure::noImage});
        return;
    }
    ::fcntl(ends[0], F_SETFL, ::fcntl(ends[0], F_GETFL) | O_NONBLOCK);

    auto copy = std::make_unique<Copy>();
    Copy* c = copy.get();
    c->owner = this;
    c->region = *region;
    c->rect = rect;
    c->scale = scale;
    c->done = std::move(done);
    c->fd = ends[0];
    c->readable = std::make_unique<QSocketNotifier>(ends[0], QSocketNotifier::Read);
    QObject::connect(c->readable.get(), &QSocketNotifier::activated, [c] { c->read(); });

    if (trace_) {
        trace_("asked");
    }
    QDBusMessage message =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("CaptureArea"));
    const QVariantMap options{{QStringLiteral("native-resolution"), true},
                              {QStringLiteral("include-cursor"), false}};
    message << static_cast<int>(std::lround(screen->frame.x)) + region->x
            << static_cast<int>(std::lround(screen->frame.y)) + region->y
            << static_cast<uint>(region->width) << static_cast<uint>(region->height) << options
            << QVariant::fromValue(QDBusUnixFileDescriptor(ends[1]));
    ::close(ends[1]); // the message holds a copy; the pipe ends once KWin closes its own
    // KWin must have what we asked of it on our own connection (the overlay's holes) before
    // the call: it may still be waiting to go out with other requests.
    wl_display_flush(connection_.display());
    c->call = std::make_unique<QDBusPendingCallWatcher>(bus_.asyncCall(message));
    QObject::connect(c->call.get(), &QDBusPendingCallWatcher::finished, [c] { c->replied(); });
    copies_.push_back(std::move(copy));
}

} // namespace spanlet::kwin
