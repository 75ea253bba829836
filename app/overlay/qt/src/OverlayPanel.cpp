#include <QBackingStore>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <spanlet/DevicePixels.hpp>
#include <spanlet/draw/qt/OverlayDamage.hpp>
#include <spanlet/overlay/qt/GuideEditorView.hpp>
#include <spanlet/overlay/qt/OverlayPanel.hpp>

namespace spanlet {

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

constexpr Qt::WindowFlags baseFlags = Qt::Tool | Qt::FramelessWindowHint |
                                      Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint |
                                      Qt::WindowDoesNotAcceptFocus;

} // namespace

OverlayPanel::OverlayPanel(OverlaySurfaces& surfaces, std::uint32_t screenId, QScreen* screen,
                           const QRect& frame)
    : QWidget(nullptr, baseFlags | Qt::WindowTransparentForInput), surfaces_(surfaces),
      screenId_(screenId), shapeMode_(!surfaces.compositing()) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAutoFillBackground(false);
    setWindowTitle(QStringLiteral("Spanlet Overlay"));
    if (screen) {
        setScreen(screen);
    }
    setGeometry(frame);
    applyMask();
}

OverlayPanel::~OverlayPanel() = default;

void OverlayPanel::setEditorView(GuideEditorView* view) {
    editor_ = view;
    view->setParent(this);
    view->setGeometry(rect());
}

void OverlayPanel::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (presenter_) {
        frame_ = QImage();
        presenter_->discardFrame(); // a display's worth of memory, repainted when shown again
    }
}

void OverlayPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (editor_) {
        editor_->setGeometry(rect());
    }
}

void OverlayPanel::setDrawList(draw::DrawList list) {
    if (list == list_) {
        return;
    }
    const double dpr = devicePixelRatioF();
    std::vector<QRect> next = draw::drawnRects(list, dpr);
    std::vector<QRect> damage = drawnRects_;
    damage.insert(damage.end(), next.begin(), next.end());
    damage = draw::mergedRects(std::move(damage));
    list_ = std::move(list);
    drawnRects_ = std::move(next);
    applyMask();
    pending_.insert(pending_.end(), damage.begin(), damage.end());
    if (presentNow()) {
        return;
    }
    QRegion area;
    for (const QRect& r : damage) {
        area += r;
    }
    update(area);
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
        pending_ = drawnRects_;
    }
    return frame_;
}

void OverlayPanel::present(const std::vector<QRect>& rects) {
    if (!presenter_->present(deviceRects(rects))) {
        dropPresenter();
    }
}

std::vector<QRect> OverlayPanel::paintPending(QImage& frame) {
    std::vector<QRect> rects = draw::mergedRects(std::move(pending_));
    pending_.clear();
    if (rects.empty()) {
        return rects;
    }
    draw::repaintImage(renderer_, frame, list_, rects);
    const double dpr = frame.devicePixelRatio();
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
    present(rects);
    return true;
}

void OverlayPanel::dropPresenter() {
    // The presenter can show nothing more: Qt paints everything from now on.
    frame_ = QImage();
    presenter_.reset();
    exposed_ = QRegion();
    update();
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

void OverlayPanel::applyMask() {
    if (!shapeMode_) {
        return;
    }
    // Set on the native window in device pixels: a logical-pixel mask (QWidget::setMask) would
    // take in unpainted, black device pixels beside every thin line on a scale-2 display.
    deviceShape_ = draw::drawnDeviceRegion(list_, devicePixelRatioF());
    surfaces_.setShape(winId(), deviceRects({deviceShape_.begin(), deviceShape_.end()}));
}

bool OverlayPanel::eventFilter(QObject* watched, QEvent* event) {
    // With nothing to repaint, Qt answers an exposure from its own copy of the window, which
    // is out of date while this panel presents by itself: make it repaint instead.
    if (presenter_ && watched == windowHandle() && event->type() == QEvent::Expose) {
        update();
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
        draw::repaintImage(renderer_, *static_cast<QImage*>(device), list_, rects);
        return;
    }
    QPainter painter(this);
    draw::repaintRects(renderer_, painter, list_, rects);
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
    if (editor_) {
        editor_->setFocus(Qt::OtherFocusReason);
    }
    // Override-redirect windows get no focus from a window manager; ask the server directly.
    surfaces_.setInputFocus(winId());
}

} // namespace spanlet
