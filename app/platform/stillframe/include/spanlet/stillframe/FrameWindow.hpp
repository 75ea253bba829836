#pragma once

#include <QBackingStore>
#include <QImage>
#include <QRegion>
#include <QWindow>
#include <functional>

#include <spanlet/Geometry.hpp>
#include <spanlet/platform/OverlayHost.hpp>

class QPainter;

namespace spanlet::stillframe {

/// One display's window of a measuring session: full screen on its display, it shows the
/// display's still frame at one device pixel per pixel (whatever the device pixel ratio, with
/// no smoothing) and the overlay's canvas over it, repainting only what is marked dirty. Its
/// pointer and keys go to `Events`, positions in global top-left points.
class FrameWindow final : public QWindow {
public:
    struct Events {
        std::function<void(Point)> moved;
        std::function<void(Point, OverlayButton)> pressed;
        std::function<void(Point, OverlayButton)> released;
        std::function<void(const QKeyEvent&)> key;
    };

    /// `origin`: the display's top-left corner (global points). `overlay` (device pixels,
    /// premultiplied) must outlive the window.
    FrameWindow(QScreen* screen, Point origin, const QImage& overlay, Events events);

    /// The frame to show (device pixels), or none (black); it must outlive its showing.
    void setFrame(const QImage* frame);
    /// Repaints `rect` (device pixels) soon.
    void markDirty(const QRect& rect);
    /// Full screen on its display, with the keyboard.
    void showOnDisplay();

protected:
    bool event(QEvent* event) override;
    void exposeEvent(QExposeEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    [[nodiscard]] Point global(const QPointF& local) const;
    [[nodiscard]] QRect deviceRect() const;
    void render();
    void paintDevicePixels(QPainter& painter, const QRect& rect) const;

    Point origin_;
    const QImage& overlay_;
    const QImage* frame_ = nullptr;
    Events events_;
    QBackingStore store_;
    QRegion dirty_; ///< device pixels
    QSize painted_; ///< device size of the last repaint of the whole window, which the store holds
};

} // namespace spanlet::stillframe
