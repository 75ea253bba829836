#pragma once

#include <QColor>
#include <QPointF>
#include <QRasterWindow>

namespace spanlet {
class X11Capture;
}

namespace spanlet::test {

/// A window of ours, like the overlay: frameless, above everything, filled with one opaque
/// colour and crossed by lines along the row and column through `cross` (window-local
/// points).
class OwnWindow : public QRasterWindow {
public:
    OwnWindow(QScreen* screen, const QRect& geometry, QPointF cross, QColor fill);

    /// Registers the window with `capture`, shows it and waits until the root window shows it
    /// at `devicePoint`. Whether it did.
    bool showOver(X11Capture& capture, QPoint devicePoint);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointF cross_;
    QColor fill_;
};

} // namespace spanlet::test
