#include <QEnterEvent>
#include <QExposeEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <cmath>
#include <cstdlib>
#include <utility>

#include <spanlet/platform/qt/QtOverlayInput.hpp>
#include <spanlet/stillframe/FrameWindow.hpp>

namespace spanlet::stillframe {

namespace {

// The device pixels that cover logical `r` at `dpr`.
QRect deviceCover(const QRect& r, qreal dpr) {
    const int left = static_cast<int>(std::floor(r.x() * dpr));
    const int top = static_cast<int>(std::floor(r.y() * dpr));
    const int right = static_cast<int>(std::ceil((r.x() + r.width()) * dpr));
    const int bottom = static_cast<int>(std::ceil((r.y() + r.height()) * dpr));
    return {left, top, right - left, bottom - top};
}

// The logical rectangle that covers device `r` at `dpr`.
QRect logicalCover(const QRect& r, qreal dpr) {
    return QRectF(r.x() / dpr, r.y() / dpr, r.width() / dpr, r.height() / dpr).toAlignedRect();
}

} // namespace

FrameWindow::FrameWindow(QScreen* screen, Point origin, const QImage& overlay, Events events)
    : origin_(origin), overlay_(overlay), events_(std::move(events)), store_(this) {
    setSurfaceType(QSurface::RasterSurface);
    setScreen(screen);
    setFlags(Qt::Window | Qt::FramelessWindowHint);
    setTitle(QStringLiteral("Spanlet"));
    setGeometry(screen->geometry());
}

void FrameWindow::setFrame(const QImage* frame) {
    frame_ = frame;
    markDirty(deviceRect());
}

QRect FrameWindow::deviceRect() const {
    return deviceCover(QRect(QPoint(), size()), devicePixelRatio());
}

void FrameWindow::markDirty(const QRect& rect) {
    dirty_ += rect;
    if (isExposed()) {
        requestUpdate();
    }
}

void FrameWindow::showOnDisplay() {
    setGeometry(screen()->geometry());
    showFullScreen();
    requestActivate();
}

bool FrameWindow::event(QEvent* event) {
    if (event->type() == QEvent::UpdateRequest) {
        render();
        return true;
    }
    // The pointer is where the window appeared under it, before it moves.
    if (event->type() == QEvent::Enter && events_.moved) {
        events_.moved(global(static_cast<QEnterEvent*>(event)->position()));
    }
    return QWindow::event(event);
}

void FrameWindow::exposeEvent(QExposeEvent* /*event*/) {
    if (!isExposed()) {
        return;
    }
    // Qt exposes the window again on each configure (shown, full screen, activated). A picture
    // the backing store holds whole at this size needs only showing again: at 4K each full
    // repaint costs over 100 ms.
    if (deviceRect().size() != painted_) {
        dirty_ = deviceRect();
    }
    if (!dirty_.isEmpty()) {
        render();
        return;
    }
    store_.flush(QRect(QPoint(), size()));
}

void FrameWindow::resizeEvent(QResizeEvent* /*event*/) {
    store_.resize(size());
    dirty_ = deviceRect();
    painted_ = QSize();
}

void FrameWindow::render() {
    if (!isExposed() || dirty_.isEmpty()) {
        return;
    }
    if (store_.size() != size()) {
        store_.resize(size());
    }
    const qreal dpr = devicePixelRatio();
    QRegion logical;
    for (const QRect& r : std::as_const(dirty_)) {
        logical += logicalCover(r, dpr);
    }
    if ((QRegion(deviceRect()) - dirty_).isEmpty()) {
        painted_ = deviceRect().size();
    }
    dirty_ = QRegion();
    store_.beginPaint(logical);
    QPaintDevice* device = store_.paintDevice();
    if (device->devType() == QInternal::Image) {
        // The backing store's own pixels, addressed one device pixel at a time: no scaling
        // anywhere, so the frame shows exactly.
        auto* target = static_cast<QImage*>(device);
        QImage pixels(target->bits(), target->width(), target->height(), target->bytesPerLine(),
                      target->format());
        QPainter painter(&pixels);
        for (const QRect& r : logical) {
            paintDevicePixels(painter, deviceCover(r, dpr).intersected(pixels.rect()));
        }
    } else {
        QPainter painter(device);
        painter.scale(1 / dpr, 1 / dpr);
        for (const QRect& r : logical) {
            paintDevicePixels(painter, deviceCover(r, dpr));
        }
    }
    store_.endPaint();
    store_.flush(logical);
}

void FrameWindow::paintDevicePixels(QPainter& painter, const QRect& rect) const {
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QSize device = deviceRect().size();
    // Within a pixel of our buffer's size: the display's own pixels, one to one.
    const bool oneToOne = frame_ != nullptr && std::abs(frame_->width() - device.width()) <= 1 &&
                          std::abs(frame_->height() - device.height()) <= 1;
    // Black where no frame pixel lands: everywhere without a frame, else at most an edge.
    if (frame_ == nullptr || (oneToOne && !frame_->rect().contains(rect))) {
        painter.fillRect(rect, Qt::black);
    }
    if (frame_ != nullptr) {
        if (oneToOne) {
            painter.drawImage(rect.topLeft(), *frame_, rect);
        } else {
            // A frame of another size than our buffer (Qt draws a fractionally scaled output at
            // the next whole scale, which the compositor scales down): stretched over the
            // window, each pixel its nearest frame pixel, so it still lies where it was.
            const double sx = double(frame_->width()) / device.width();
            const double sy = double(frame_->height()) / device.height();
            painter.drawImage(
                QRectF(rect), *frame_,
                QRectF(rect.x() * sx, rect.y() * sy, rect.width() * sx, rect.height() * sy));
        }
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(rect.topLeft(), overlay_, rect);
}

Point FrameWindow::global(const QPointF& local) const {
    return {origin_.x + local.x(), origin_.y + local.y()};
}

void FrameWindow::mouseMoveEvent(QMouseEvent* event) {
    if (events_.moved) {
        events_.moved(global(event->position()));
    }
}

void FrameWindow::mousePressEvent(QMouseEvent* event) {
    if (events_.pressed) {
        events_.pressed(global(event->position()), overlayButton(event->button()));
    }
}

void FrameWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (events_.released) {
        events_.released(global(event->position()), overlayButton(event->button()));
    }
}

void FrameWindow::keyPressEvent(QKeyEvent* event) {
    if (events_.key) {
        events_.key(*event);
    }
}

} // namespace spanlet::stillframe
