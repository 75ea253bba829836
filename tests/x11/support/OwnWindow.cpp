#include "OwnWindow.hpp"

#include <QPainter>
#include <QScreen>

#include <spanlet/x11/X11Capture.hpp>

#include "Scene.hpp"
#include "X11Env.hpp"

namespace spanlet::test {

OwnWindow::OwnWindow(QScreen* screen, const QRect& geometry, QPointF cross, QColor fill)
    : cross_(cross), fill_(fill) {
    setFlags(Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
             Qt::Tool);
    setScreen(screen);
    setGeometry(geometry);
}

bool OwnWindow::showOver(X11Capture& capture, QPoint devicePoint) {
    create();
    capture.addOwnWindow(winId());
    show();
    raise();
    if (!waitUntil([&] { return isExposed(); })) {
        return false;
    }
    const Scene probe;
    const std::uint32_t ours = std::uint32_t(fill_.rgb()) & 0xffffff;
    return waitUntil([&] {
        const std::uint32_t shown = probe.rootPixel(devicePoint.x(), devicePoint.y());
        return shown == ours || shown == 0x00ff00;
    });
}

void OwnWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(QRectF(0, 0, width(), height()), fill_);
    // The crosshair: one point wide, through the very row and column a capture reads.
    painter.fillRect(QRectF(0, cross_.y(), width(), 1), QColor(0, 255, 0));
    painter.fillRect(QRectF(cross_.x(), 0, 1, height()), QColor(0, 255, 0));
}

} // namespace spanlet::test
