#include "SamplerLoupe.hpp"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <spanlet/model/LiveMeasurement.hpp>
#include <spanlet/overlay/LoupeLayout.hpp>

namespace spanlet {

namespace {

/// Gap between the pointer and the loupe, points.
constexpr int kOffset = 24;
/// The window's side: the magnifier of the model's loupe patch (points).
constexpr int kSide =
    static_cast<int>(LoupeLayout::cell * static_cast<double>(2 * LiveMeasurement::loupeRadius + 1));
/// The corner radius of the magnifier's frame (points).
constexpr double kCornerRadius = 10;

} // namespace

SamplerLoupe::SamplerLoupe(Handlers handlers)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                           Qt::WindowStaysOnTopHint | Qt::Tool),
      handlers_(std::move(handlers)) {
    setFixedSize(kSide, kSide);
    // Cut to the magnifier's rounded frame, with or without a compositor.
    QPainterPath frame;
    frame.addRoundedRect(QRectF(rect()), kCornerRadius, kCornerRadius);
    setMask(QRegion(frame.toFillPolygon().toPolygon()));
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
    draw::DrawList list;
    LoupeLayout::addMagnifier(list, patch_, {0, 0});
    renderer_.paint(painter, list);
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
