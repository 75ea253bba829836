#pragma once

#include <QRegion>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

#include <spanlet/draw/DrawOps.hpp>
#include <spanlet/draw/qt/QPainterBackend.hpp>
#include <spanlet/platform/OverlaySurfaces.hpp>

namespace spanlet {

class GuideEditorView;

/// One display's overlay: a frameless, input-transparent top-level window above everything,
/// covering the display. It paints only the draw list it was last given, and repaints only
/// what changed (old ∪ new drawn region). Without a compositor it runs in shape mode: the
/// window's shape is exactly the drawn region, so the rest of the screen shows through
/// instead of black.
///
/// Once shown with a compositor, a panel keeps its pixels in an image of its own and puts the
/// damaged parts straight into its window on each change; Qt's paint events copy that image.
class OverlayPanel : public QWidget {
    Q_OBJECT
public:
    /// `frame` is the display's frame in global logical pixels (points) on `screen`. Shown,
    /// shaped and presented through `surfaces`, which must outlive the panel; in shape mode
    /// unless `surfaces` composites.
    OverlayPanel(OverlaySurfaces& surfaces, std::uint32_t screenId, QScreen* screen,
                 const QRect& frame);
    ~OverlayPanel() override;

    [[nodiscard]] std::uint32_t screenId() const noexcept { return screenId_; }
    [[nodiscard]] bool shapeMode() const noexcept { return shapeMode_; }
    [[nodiscard]] GuideEditorView* editorView() const noexcept { return editor_; }

    /// Stores `list` (points, panel-local) and schedules a repaint of the damaged region.
    void setDrawList(draw::DrawList list);
    [[nodiscard]] const draw::DrawList& drawList() const noexcept { return list_; }
    /// In shape mode, the window's shape in window-local device pixels.
    [[nodiscard]] const QRegion& deviceShape() const noexcept { return deviceShape_; }

    /// Mouse input reaches the panel only when enabled; otherwise every click passes through
    /// to the windows below.
    void setInputEnabled(bool enabled);
    [[nodiscard]] bool inputEnabled() const noexcept { return inputEnabled_; }

    /// Shows the panel above every window (without taking focus).
    void showOnTop();
    /// Brings the panel to the front and gives its editor view the keyboard.
    void takeFocus();

    /// Attaches the guide editor's view; the panel owns it and keeps it filling the panel.
    void setEditorView(GuideEditorView* view);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyMask();
    /// Paints the pending damage into the frame and puts it on screen; false when this panel
    /// cannot present by itself (not shown yet, or not an X11 ARGB window).
    bool presentNow();
    /// The presenter's frame, sized to the window in device pixels; `fresh` when made anew
    /// (then everything drawn is pending).
    QImage& frame(bool& fresh);
    /// `rects` (device pixels) put on screen by the presenter; drops it when it has failed.
    void present(const std::vector<QRect>& rects);
    /// Paints the pending damage into `frame`; returns it in device pixels.
    std::vector<QRect> paintPending(QImage& frame);
    void dropPresenter();
    /// Puts what Qt last flushed from its own copy once more, after that flush: it may reach
    /// the server after a newer frame put through our connection.
    void presentExposed();

    OverlaySurfaces& surfaces_;
    std::uint32_t screenId_;
    bool shapeMode_;
    bool inputEnabled_ = false;
    draw::DrawList list_;
    draw::QPainterBackend renderer_;
    std::vector<QRect> drawnRects_; ///< of the current list, logical pixels
    std::vector<QRect> pending_;    ///< damage asked for and not yet painted
    QRegion deviceShape_;
    GuideEditorView* editor_ = nullptr;
    /// Keeps this panel's pixels and puts them on screen, once shown with a compositor.
    std::unique_ptr<SurfacePresenter> presenter_;
    bool presenterChecked_ = false;
    QImage frame_;    ///< the presenter's frame memory, at the panel's device-pixel ratio
    QRegion exposed_; ///< device pixels Qt flushed and presentExposed() has not put again
};

} // namespace spanlet
