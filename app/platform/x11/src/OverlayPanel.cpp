#include <QBackingStore>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cmath>

#include <spanlet/DevicePixels.hpp>
#include <spanlet/draw/qt/OverlayDamage.hpp>
#include <spanlet/x11/OverlayPanel.hpp>
#include <spanlet/x11/PanelInput.hpp>

namespace spanlet::x11 {

namespace {

/// `r` (logical pixels) rounded out to whole device pixels.
QRect deviceRect(const QRect& r, double dpr) {
    const DevicePixels::Span d = DevicePixels::enclosing(
        Rect{double(r.x()), double(r.y()), double(r.width()), double(r.height())}, dpr);
    return {static_cast<int>(d.minX), static_cast<int>(d.minY), static_cast<int>(d.maxX - d.minX),
            static_cast<int>(d.maxY - d.minY)};
}

std::vector<DeviceRect> deviceRects(const std::vector<QRect>& rects) {
    std::vector<DeviceRect> out;
    out.reserve(rects.size());
    for (const QRect& r : rects) {
        out.push_back({r.x(), r.y(), r.width(), r.height()});
    }
    return out;
}

int whole(double v) {
    return static_cast<int>(std::lround(v));
}

std::vector<QRect> logicalRects(std::span<const Rect> rects) {
    std::vector<QRect> out;
    out.reserve(rects.size());
    for (const Rect& r : rects) {
        out.emplace_back(whole(r.x), whole(r.y), whole(r.width), whole(r.height));
    }
    return out;
}

constexpr Qt::WindowFlags baseFlags = Qt::Tool | Qt::FramelessWindowHint |
                                      Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint |
                                      Qt::WindowDoesNotAcceptFocus;

} // namespace

OverlayPanel::OverlayPanel(OverlaySurfaces& surfaces, const PanelClient& client,
                           std::uint32_t screenId, QScreen* screen, const QRect& frame)
    : QWidget(nullptr, baseFlags | Qt::WindowTransparentForInput), surfaces_(surfaces),
      client_(client), screenId_(screenId), shapeMode_(!surfaces.compositing()),
      input_(new PanelInput(client, screenId, this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAutoFillBackground(false);
    setWindowTitle(QStringLiteral("Spanlet Overlay"));
    if (screen != nullptr) {
        setScreen(screen);
    }
    setGeometry(frame);
    input_->setGeometry(rect());
    if (shapeMode_) {
        surfaces_.setShape(winId(), {}); // nothing drawn yet
    }
}

OverlayPanel::~OverlayPanel() = default;

void OverlayPanel::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (presenter_) {
        frame_ = QImage();
        presenter_->discardFrame(); // a display's worth of memory, repainted when shown again
    }
}

void OverlayPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    input_->setGeometry(rect());
}

void OverlayPanel::apply(const OverlayUpdate& changes) {
    drawn_ = logicalRects(changes.drawn);
    const std::vector<QRect> damage = logicalRects(changes.damage);
    if (shapeMode_) {
        // Set on the native window in device pixels: a logical-pixel mask (QWidget::setMask)
        // would take in unpainted, black device pixels beside every thin line at scale 2.
        deviceShape_ = QRegion();
        for (const DeviceRect& r : changes.shape) {
            deviceShape_ += QRect(r.x, r.y, r.width, r.height);
        }
        surfaces_.setShape(winId(), changes.shape);
    }
    pending_.insert(pending_.end(), damage.begin(), damage.end());
    if (presentNow()) {
        return;
    }
    QRegion area;
    for (const QRect& r : damage) {
        area += r;
    }
    QWidget::update(area);
}

QImage& OverlayPanel::frame(bool& fresh) {
    const double dpr = devicePixelRatioF();
    const QRect device = deviceRect(QRect(0, 0, width(), height()), dpr);
    if (!frame_.isNull() && frame_.devicePixelRatio() != dpr) {
        presenter_->discardFrame(); // drawn at another scale: start afresh
    }
    const SurfaceFrame memory = presenter_->frame(device.width(), device.height());
    fresh = memory.fresh || frame_.isNull() || frame_.devicePixelRatio() != dpr;
    if (fresh) {
        frame_ = QImage(memory.bits, memory.width, memory.height, memory.stride,
                        QImage::Format_ARGB32_Premultiplied);
        frame_.setDevicePixelRatio(dpr);
        pending_ = drawn_;
    }
    return frame_;
}

void OverlayPanel::present(const std::vector<QRect>& rects) {
    if (!presenter_->present(deviceRects(rects))) {
        dropPresenter();
    }
}

void OverlayPanel::paint(QImage& image, const std::vector<QRect>& rects) {
    if (!client_.paint || rects.empty()) {
        return;
    }
    std::vector<Rect> points;
    points.reserve(rects.size());
    for (const QRect& r : rects) {
        points.push_back({double(r.x()), double(r.y()), double(r.width()), double(r.height())});
    }
    const OverlayCanvas canvas{image.bits(),
                               image.width(),
                               image.height(),
                               image.bytesPerLine(),
                               image.devicePixelRatio(),
                               image.format() != QImage::Format_ARGB32_Premultiplied};
    client_.paint(screenId_, canvas, points);
}

std::vector<QRect> OverlayPanel::paintPending(QImage& image) {
    std::vector<QRect> rects = draw::mergedRects(std::move(pending_));
    pending_.clear();
    paint(image, rects);
    const double dpr = image.devicePixelRatio();
    for (QRect& r : rects) {
        r = deviceRect(r, dpr);
    }
    return rects;
}

bool OverlayPanel::presentNow() {
    if (!presenter_ || windowHandle() == nullptr || !windowHandle()->isExposed()) {
        return false;
    }
    bool fresh = false;
    QImage& image = frame(fresh);
    std::vector<QRect> rects = paintPending(image);
    if (fresh) {
        rects = {image.rect()}; // the window may still show anything from before
    }
    if (!rects.empty()) {
        present(rects);
    }
    return true;
}

void OverlayPanel::dropPresenter() {
    // The presenter can show nothing more: Qt paints everything from now on.
    frame_ = QImage();
    presenter_.reset();
    exposed_ = QRegion();
    QWidget::update();
}

void OverlayPanel::presentExposed() {
    if (!presenter_ || exposed_.isEmpty()) {
        exposed_ = QRegion();
        return;
    }
    surfaces_.sync(); // Qt's copy is on screen now; ours goes after it
    const std::vector<QRect> rects(exposed_.begin(), exposed_.end());
    exposed_ = QRegion();
    present(rects);
}

bool OverlayPanel::eventFilter(QObject* watched, QEvent* event) {
    // With nothing to repaint, Qt answers an exposure from its own copy of the window, which
    // is out of date while this panel presents by itself: make it repaint instead.
    if (presenter_ && watched == windowHandle() && event->type() == QEvent::Expose) {
        QWidget::update();
    }
    return QWidget::eventFilter(watched, event);
}

void OverlayPanel::paintEvent(QPaintEvent* event) {
    // Without a compositor the shape changes with each frame and every change is an exposure
    // Qt repaints anyway: presenting by ourselves would only add to it.
    if (!presenterChecked_ && !shapeMode_) {
        presenterChecked_ = true;
        presenter_ = surfaces_.presenter(winId());
        if (presenter_ && windowHandle() != nullptr) {
            windowHandle()->installEventFilter(this);
        }
    }
    if (presenter_) {
        // Exposed, resized or asked by Qt: hand Qt a copy of the frame, up to date.
        bool fresh = false;
        QImage& image = frame(fresh);
        paintPending(image);
        QPainter painter(this);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPointF(0, 0), image);
        if (exposed_.isEmpty()) {
            QTimer::singleShot(0, this, [this] { presentExposed(); });
        }
        for (const QRect& r : event->region()) {
            exposed_ += deviceRect(r, image.devicePixelRatio());
        }
        return;
    }
    // The rectangles this panel asked for, plus whatever else Qt wants repainted (exposure).
    QRegion asked;
    for (const QRect& r : pending_) {
        asked += r;
    }
    std::vector<QRect> rects = std::move(pending_);
    pending_.clear();
    const QRegion rest = event->region() - asked;
    rects.insert(rects.end(), rest.begin(), rest.end());
    rects = draw::mergedRects(std::move(rects));
    // A top-level panel owns its backing store: painting that image directly, off this thread,
    // spares a painter here whose clip (the paint event's region) would make every copy slow.
    QBackingStore* store = backingStore();
    QPaintDevice* device = store != nullptr ? store->paintDevice() : nullptr;
    if (device != nullptr && device->devType() == QInternal::Image) {
        paint(*static_cast<QImage*>(device), rects);
        return;
    }
    const double dpr = devicePixelRatioF();
    const QRect size = deviceRect(rect(), dpr);
    if (scratch_.size() != size.size() || scratch_.devicePixelRatio() != dpr) {
        scratch_ = QImage(size.size(), QImage::Format_ARGB32_Premultiplied);
        scratch_.setDevicePixelRatio(dpr);
        rects = {rect()};
    }
    paint(scratch_, rects);
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPointF(0, 0), scratch_);
}

void OverlayPanel::setInputEnabled(bool enabled) {
    if (enabled == inputEnabled_) {
        return;
    }
    inputEnabled_ = enabled;
    Qt::WindowFlags flags = baseFlags;
    if (!enabled) {
        flags |= Qt::WindowTransparentForInput;
    } else {
        flags &= ~Qt::WindowDoesNotAcceptFocus;
    }
    // QWidget::setWindowFlags would recreate (and hide) the window; the native window takes
    // the new input shape and focus hints as it is.
    overrideWindowFlags(flags);
    if (QWindow* w = windowHandle()) {
        w->setFlags(flags);
    }
}

void OverlayPanel::showOnTop() {
    show();
    raise();
}

void OverlayPanel::takeFocus() {
    showOnTop();
    activateWindow();
    input_->setFocus(Qt::OtherFocusReason);
    // Override-redirect windows get no focus from a window manager; ask the server directly.
    surfaces_.setInputFocus(winId());
}

} // namespace spanlet::x11
