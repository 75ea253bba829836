#pragma once

#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>
#include <optional>

#include <spanlet/Geometry.hpp>
#include <spanlet/draw/qt/QPainterBackend.hpp>
#include <spanlet/ruler/RulerAction.hpp>
#include <spanlet/ruler/RulerInput.hpp>
#include <spanlet/ruler/RulerView.hpp>

class QMenu;

namespace spanlet {

class DisplayPort;
class Mensor;

/// The floating ruler window: a frameless, translucent tool window above all others that draws
/// the model's ruler and turns mouse and key input into the model's ruler operations.
///
/// Window flags: Qt::Tool keeps it out of the taskbar and the window cycle,
/// Qt::FramelessWindowHint drops the decoration, and Qt::X11BypassWindowManagerHint with
/// Qt::WindowStaysOnTopHint leaves its place to us, as for the overlay panels: a window manager
/// would keep it on one workspace and put a focused full-screen window above it. Such a window
/// gets no focus from a window manager, so a press activates it, which gives it the keyboard
/// directly. Shown without activation (it appears like a panel that does not steal the focus).
///
/// Pointer positions come from the display port (global top-left points, correct on desktops
/// that mix scales), read when each event is handled.
class RulerPanel final : public QWidget {
    Q_OBJECT

public:
    /// `model` and `displays` must outlive the panel.
    RulerPanel(Mensor& model, const DisplayPort& displays);
    ~RulerPanel() override;
    RulerPanel(const RulerPanel&) = delete;
    RulerPanel& operator=(const RulerPanel&) = delete;

    /// The window rectangle for a ruler frame (global top-left points): Qt places windows on
    /// whole logical pixels, so the corner is rounded (halves away from zero) and the size kept.
    [[nodiscard]] static QRect windowGeometry(const Rect& frame);

    /// Where the window belongs (global top-left points): the model's ruler frame as
    /// windowGeometry() places it.
    [[nodiscard]] Rect frame() const;
    /// What the panel shows now: the model's ruler at frame(), so marker and readout match the
    /// window even where the stored corner falls between logical pixels.
    [[nodiscard]] RulerView view() const;
    /// Dark appearance: the palette's window colour is dark.
    [[nodiscard]] bool darkAppearance() const;
    /// The accessibility value text of view().
    [[nodiscard]] QString accessibleValue() const;

    /// Without a compositor the translucent corners would show black: in shape mode the window
    /// is cut to the ruler's rounded face instead.
    void setShaped(bool shaped);
    [[nodiscard]] bool shaped() const noexcept { return shaped_; }

    /// The context menu while it is open; null otherwise.
    [[nodiscard]] QMenu* contextMenu() const;
    /// The drag in progress, from press to release.
    [[nodiscard]] const std::optional<RulerDrag>& drag() const noexcept { return input_.drag(); }

Q_SIGNALS:
    /// The accessibility value text changed through the keyboard (after every arrow key); sent
    /// together with the accessibility value-change event, which Qt delivers only while an
    /// assistive client listens.
    void accessibleValueChanged(const QString& value);
    /// The window system or Qt moved or resized the window away from the model's frame (Qt
    /// rescales a window it moves to a screen of another pixel ratio, for example).
    void geometryDisturbed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    /// A left press with its click count (2 for the second press of a double click).
    void press(const QMouseEvent& event, int clickCount);
    /// Whether the view-local position (points) is in the grip zone.
    [[nodiscard]] bool inResizeZone(QPointF position) const;
    /// The cursor for hovering at the view-local position.
    void updateHoverCursor(QPointF position);
    void perform(const RulerAction& action);
    /// Sends geometryDisturbed() when the window is shown away from the model's frame.
    void checkGeometry();
    /// Tells assistive technology that the value text changed.
    void postValueChanged();
    /// In shape mode, cuts the window to the face's rounded rectangle at the current size.
    void updateShape();

    Mensor& model_;
    const DisplayPort& displays_;
    draw::QPainterBackend renderer_;
    RulerInput input_;
    bool shaped_ = false;
    QPointer<QMenu> menu_;
};

} // namespace spanlet
