#pragma once

#include <QImage>
#include <QRegion>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

#include <spanlet/platform/OverlayHost.hpp>
#include <spanlet/x11/OverlaySurfaces.hpp>

namespace spanlet::x11 {

class PanelInput;

/// Who a panel paints for and reports input to: the overlay host's controller.
struct PanelClient {
    OverlayPaint paint;
    OverlayInput* input = nullptr;
};

/// One display's overlay: a frameless, input-transparent top-level window above everything,
/// covering the display, whose pixels the client paints. It repaints only what each update
/// damages. Without a compositor it runs in shape mode: the window's shape is exactly what is
/// drawn, so the rest of the screen shows through instead of black.
///
/// Once shown with a compositor, a panel keeps its pixels in memory the presenter shares with
/// the server and puts the damaged parts straight into its window on each change; Qt's paint
/// events copy that memory. Otherwise Qt's paint events have the client paint straight into
/// the window's backing store.
class OverlayPanel : public QWidget {
    Q_OBJECT
public:
    /// `frame` is the display's frame in global logical pixels (points) on `screen`. Shown,
    /// shaped and presented through `surfaces`; `surfaces` and `client` must outlive the panel.
    /// In shape mode unless `surfaces` composites.
    OverlayPanel(OverlaySurfaces& surfaces, const PanelClient& client, std::uint32_t screenId,
                 QScreen* screen, const QRect& frame);
    ~OverlayPanel() override;

    [[nodiscard]] std::uint32_t screenId() const noexcept { return screenId_; }
    [[nodiscard]] bool shapeMode() const noexcept { return shapeMode_; }
    /// The widget that takes the guide editor's input, filling the panel.
    [[nodiscard]] PanelInput* input() const noexcept { return input_; }

    /// Repaints the update's damage and shows it; in shape mode, cuts the window to its shape.
    void apply(const OverlayUpdate& changes);
    /// In shape mode, the window's shape in window-local device pixels.
    [[nodiscard]] const QRegion& deviceShape() const noexcept { return deviceShape_; }

    /// Mouse input reaches the panel only when enabled; otherwise every click passes through
    /// to the windows below.
    void setInputEnabled(bool enabled);
    [[nodiscard]] bool inputEnabled() const noexcept { return inputEnabled_; }

    /// Shows the panel above every window (without taking focus).
    void showOnTop();
    /// Brings the panel to the front and gives its input widget the keyboard.
    void takeFocus();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    /// Paints the pending damage into the frame and puts it on screen; false when this panel
    /// cannot present by itself (not shown yet, or not an X11 ARGB window).
    bool presentNow();
    /// The presenter's frame, sized to the window in device pixels; `fresh` when made anew
    /// (then everything drawn is pending).
    QImage& frame(bool& fresh);
    /// `rects` (device pixels) put on screen by the presenter; drops it when it has failed.
    void present(const std::vector<QRect>& rects);
    /// Has the client paint the pending damage into `image`; returns it in device pixels.
    std::vector<QRect> paintPending(QImage& image);
    /// Has the client paint `rects` (logical pixels) into `image`.
    void paint(QImage& image, const std::vector<QRect>& rects);
    void dropPresenter();
    /// Puts what Qt last flushed from its own copy once more, after that flush: it may reach
    /// the server after a newer frame put through our connection.
    void presentExposed();

    OverlaySurfaces& surfaces_;
    const PanelClient& client_;
    std::uint32_t screenId_;
    bool shapeMode_;
    bool inputEnabled_ = false;
    std::vector<QRect> drawn_;   ///< what the picture covers, logical pixels
    std::vector<QRect> pending_; ///< damage asked for and not yet painted
    QRegion deviceShape_;
    PanelInput* input_ = nullptr;
    /// Keeps this panel's pixels and puts them on screen, once shown with a compositor.
    std::unique_ptr<SurfacePresenter> presenter_;
    bool presenterChecked_ = false;
    QImage frame_;    ///< the presenter's frame memory, at the panel's device-pixel ratio
    QImage scratch_;  ///< painted in when the backing store is no image
    QRegion exposed_; ///< device pixels Qt flushed and presentExposed() has not put again
};

} // namespace spanlet::x11
