#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <cmath>
#include <utility>
#include <vector>

#include <spanlet/x11/X11Capture.hpp>

#include "CaptureConnection.hpp"

namespace spanlet {

namespace {

// What a filter holds on X11: where its display lies in device pixels, and a live view of our
// own windows.
class X11FilterHandle final : public ScreenCapture::FilterHandle {
public:
    X11FilterHandle(const QRect& frame, std::shared_ptr<const OwnWindows> own)
        : deviceFrame(frame), ownWindows(std::move(own)) {}
    QRect deviceFrame;
    std::shared_ptr<const OwnWindows> ownWindows;
};

// Far beyond any X screen (coordinates are 16-bit there), and small enough for an int.
constexpr double kMaxCoordinate = 1 << 20;
// Kept captures are dropped when none has been asked for this long: snapping has ended.
constexpr int kKeepMs = 3000;
// Captures are a few strips; even a whole 8K display is well below this (256 MB of pixels).
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 26;

int devicePixels(double points, double scale) {
    const double v = std::round(points * scale);
    if (!std::isfinite(v)) {
        return 0;
    }
    return int(std::clamp(v, -kMaxCoordinate, kMaxCoordinate));
}

QRect qrect(const Rect& r) {
    return QRect(devicePixels(r.x, 1), devicePixels(r.y, 1), devicePixels(r.width, 1),
                 devicePixels(r.height, 1));
}

template <class T>
void post(QObject* mainThread, std::function<void(CaptureResult<T>)> done,
          CaptureResult<T> result) {
    QMetaObject::invokeMethod(
        mainThread,
        [done = std::move(done), result = std::move(result)]() mutable { done(std::move(result)); },
        Qt::QueuedConnection);
}

} // namespace

struct X11Capture::Batch {
    struct Entry {
        x11::CaptureRequest request;
        std::function<void(CaptureResult<PixelBuffer>)> done;
    };
    std::vector<Entry> entries;
};

X11Capture::X11Capture(const X11DisplayPort& displays, Options options)
    : displays_(displays), ownWindows_(std::make_shared<OwnWindows>()),
      beforeRead_(std::move(options.beforeRead)), mainThread_(std::make_unique<QObject>()),
      batch_(std::make_unique<Batch>()), connection_(std::make_unique<x11::CaptureConnection>()),
      idle_(std::make_unique<QTimer>()) {
    idle_->setSingleShot(true);
    idle_->setInterval(kKeepMs);
    QObject::connect(idle_.get(), &QTimer::timeout, mainThread_.get(),
                     [this] { connection_->forgetKept(); });
}

X11Capture::~X11Capture() = default;

std::optional<Point> X11Capture::queryPointer() {
    const std::optional<QPoint> p = connection_->queryPointer();
    if (!p) {
        return std::nullopt;
    }
    return Point{double(p->x()), double(p->y())};
}

void X11Capture::filter(std::uint32_t displayId,
                        std::function<void(CaptureResult<ScreenCapture::Filter>)> done) {
    CaptureResult<ScreenCapture::Filter> result =
        ScreenCapture::Error{ScreenCapture::Failure::noDisplay};
    if (!connection_->problem().empty()) {
        result = ScreenCapture::Error{connection_->problem()};
    } else {
        for (const X11DisplayPort::Display& d : displays_.displays()) {
            if (d.info.id == displayId) {
                result = ScreenCapture::Filter{displayId, std::make_shared<X11FilterHandle>(
                                                              qrect(d.deviceFrame), ownWindows_)};
                break;
            }
        }
    }
    post(mainThread_.get(), std::move(done), std::move(result));
}

void X11Capture::pixels(const ScreenCapture::Filter& filter, const Rect& rect, double scale,
                        std::function<void(CaptureResult<PixelBuffer>)> done) {
    const auto* handle = dynamic_cast<const X11FilterHandle*>(filter.handle.get());
    if (!handle) {
        post<PixelBuffer>(mainThread_.get(), std::move(done),
                          ScreenCapture::Error{ScreenCapture::Failure::noDisplay});
        return;
    }
    // Display-local points to root-window device pixels: the display's device top-left plus the
    // rect scaled, the size rounded as every capture's is.
    const ScreenCapture::PixelSize size = ScreenCapture::outputSize(rect, scale);
    if (size.width * size.height > kMaxPixels) {
        post<PixelBuffer>(mainThread_.get(), std::move(done),
                          ScreenCapture::Error{ScreenCapture::Failure::noImage});
        return;
    }
    x11::CaptureRequest request{QRect(handle->deviceFrame.x() + devicePixels(rect.x, scale),
                                      handle->deviceFrame.y() + devicePixels(rect.y, scale),
                                      int(size.width), int(size.height)),
                                handle->deviceFrame, handle->ownWindows};
    batch_->entries.push_back({std::move(request), std::move(done)});
    if (batch_->entries.size() == 1 && !readingAfter_) {
        // The rest of this turn's captures join it before it leaves.
        QMetaObject::invokeMethod(
            mainThread_.get(), [this] { sendBatch(); }, Qt::QueuedConnection);
    }
}

bool X11Capture::watchChanges(std::function<void()> changed) {
    const bool wasWatching = bool(std::exchange(changed_, nullptr));
    if (!changed || !connection_->reportsChanges()) {
        if (news_) {
            news_->setEnabled(false);
        }
        if (wasWatching) {
            idle_->start();
        }
        return false;
    }
    changed_ = std::move(changed);
    idle_->stop(); // the kept captures are what is watched
    if (!news_) {
        news_ = std::make_unique<QSocketNotifier>(connection_->socket(), QSocketNotifier::Read);
        QObject::connect(news_.get(), &QSocketNotifier::activated, mainThread_.get(),
                         [this] { takeNews(); });
    }
    if (connection_->takeChanges()) {
        // Heard of before watching began, but after the read: reported later, as promised.
        news_->setEnabled(false);
        QMetaObject::invokeMethod(
            mainThread_.get(), [this] { hearChange(); }, Qt::QueuedConnection);
    } else {
        news_->setEnabled(true);
    }
    return true;
}

void X11Capture::takeNews() {
    if (!connection_->takeChanges()) {
        return;
    }
    news_->setEnabled(false);
    hearChange();
}

void X11Capture::hearChange() {
    if (auto heard = std::exchange(changed_, nullptr)) {
        idle_->start(); // no longer watched: dropped unless captures follow
        heard();
    }
}

void X11Capture::readAfter(const std::function<void()>& ask) {
    if (readingAfter_) {
        ask();
        return;
    }
    readingAfter_ = true;
    ask();
    readingAfter_ = false;
    sendBatch();
}

void X11Capture::sendBatch() {
    if (batch_->entries.empty()) {
        return; // read already, or nothing was asked for
    }
    // Read here rather than on a thread of its own: the one round trip costs less than waking a
    // thread for the batch and this one again for its results. This runs on a later turn than
    // the one that asked, or after the calls that asked returned (readAfter), so completions
    // never run inside a call.
    const std::vector<Batch::Entry> batch = std::exchange(batch_->entries, {});
    std::vector<x11::CaptureRequest> requests;
    requests.reserve(batch.size());
    for (const Batch::Entry& entry : batch) {
        requests.push_back(entry.request);
    }
    std::vector<CaptureResult<PixelBuffer>> results =
        connection_->captureAll(requests, beforeRead_);
    idle_->start();
    for (std::size_t i = 0; i < batch.size(); ++i) {
        batch[i].done(std::move(results[i]));
    }
}

} // namespace spanlet
