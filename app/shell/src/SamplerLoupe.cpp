#include "SamplerLoupe.hpp"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace spanlet {

namespace {

/// Gap between the pointer and the loupe, points.
constexpr int kOffset = 24;

} // namespace

SamplerLoupe::SamplerLoupe(Handlers handlers)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                           Qt::WindowStaysOnTopHint | Qt::Tool),
      handlers_(std::move(handlers)) {
    setFixedSize(side * zoom, side * zoom);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Color sampler"));
}

void SamplerLoupe::open(QPoint pointer) {
    follow(pointer);
    show();
    raise();
    grab(50);
}

void SamplerLoupe::grab(int attemptsLeft) {
    QWindow* handle = windowHandle();
    const bool mapped = handle && handle->isExposed();
    if (mapped && handle->setMouseGrabEnabled(true) && handle->setKeyboardGrabEnabled(true)) {
        grabbing_ = true;
        QGuiApplication::setOverrideCursor(Qt::CrossCursor);
        return;
    }
    if (handle) {
        handle->setMouseGrabEnabled(false);
    }
    if (attemptsLeft > 0 && isVisible()) {
        // Not mapped yet, or another client holds a grab for a moment: try again shortly.
        QTimer::singleShot(20, this, [this, attemptsLeft] { grab(attemptsLeft - 1); });
    } else if (isVisible() && handlers_.cancelled) {
        handlers_.cancelled();
    }
}

void SamplerLoupe::dismiss() {
    if (QWindow* handle = windowHandle()) {
        handle->setKeyboardGrabEnabled(false);
        handle->setMouseGrabEnabled(false);
    }
    if (grabbing_) {
        QGuiApplication::restoreOverrideCursor();
        grabbing_ = false;
    }
    hide();
    patch_ = PixelBuffer();
}

void SamplerLoupe::follow(QPoint pointer) {
    QScreen* screen = QGuiApplication::screenAt(pointer);
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    const QRect area = screen ? screen->geometry() : QRect(pointer, size());
    QPoint topLeft = pointer + QPoint(kOffset, kOffset);
    if (topLeft.x() + width() > area.right()) {
        topLeft.setX(pointer.x() - kOffset - width());
    }
    if (topLeft.y() + height() > area.bottom()) {
        topLeft.setY(pointer.y() - kOffset - height());
    }
    move(topLeft);
}

void SamplerLoupe::setPatch(PixelBuffer patch) {
    patch_ = std::move(patch);
    update();
}

void SamplerLoupe::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const auto w = patch_.width();
    const auto h = patch_.height();
    const double cellW = w > 0 ? double(width()) / double(w) : 0;
    const double cellH = h > 0 ? double(height()) / double(h) : 0;
    for (std::int64_t y = 0; y < h; ++y) {
        for (std::int64_t x = 0; x < w; ++x) {
            const RGBA p = patch_(x, y);
            painter.fillRect(QRectF(double(x) * cellW, double(y) * cellH, cellW, cellH),
                             QColor(p.r, p.g, p.b));
        }
    }
    // The pixel that a click picks.
    const QRectF centre((side / 2) * zoom, (side / 2) * zoom, zoom, zoom);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(centre.adjusted(-1, -1, 0, 0));
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(centre.adjusted(-2, -2, 1, 1));
    painter.setPen(QPen(QColor(128, 128, 128), 1));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void SamplerLoupe::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (handlers_.moved) {
        handlers_.moved();
    }
}

void SamplerLoupe::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) {
        if (handlers_.picked) {
            handlers_.picked();
        }
    } else if (handlers_.cancelled) {
        handlers_.cancelled();
    }
}

void SamplerLoupe::keyPressEvent(QKeyEvent* event) {
    event->accept();
    if (event->key() == Qt::Key_Escape && handlers_.cancelled) {
        handlers_.cancelled();
    } else if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
                event->key() == Qt::Key_Space) &&
               handlers_.picked) {
        handlers_.picked();
    }
}

} // namespace spanlet
