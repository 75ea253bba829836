#pragma once

#include <QObject>
#include <QRect>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include <spanlet/draw/DrawOps.hpp>
#include <spanlet/draw/qt/QPainterBackend.hpp>
#include <spanlet/model/Controllers.hpp>
#include <spanlet/model/MensorRecords.hpp>
#include <spanlet/model/Observable.hpp>
#include <spanlet/overlay/GuideEditor.hpp>
#include <spanlet/overlay/OverlayPainter.hpp>
#include <spanlet/platform/OverlayHost.hpp>

namespace spanlet {

class Mensor;
class DisplayPort;

/// The overlay on every back end: lays out each display's scene, paints it with the shared
/// renderer into the surfaces of the back end's OverlayHost, and turns their input into the
/// guide editor's and the model's operations. Surfaces are repainted from the model's observed
/// state, coalesced to once per event-loop turn (while snapping, once per capture); only what
/// changed is repainted. They are shown, and take input, as the model's overlay mode says, or
/// as the colour sampler needs while it picks through them (startPicking()).
///
/// The model is made with a reference to this controller, so the controller is made first and
/// attached to the model afterwards; until then rebuild() does nothing.
class HostedOverlay final : public OverlayController, private OverlayInput {
public:
    /// `displays` gives the pointer to the guide editor. Both must outlive the controller.
    HostedOverlay(OverlayHost& host, const DisplayPort& displays);
    ~HostedOverlay() override;
    HostedOverlay(const HostedOverlay&) = delete;
    HostedOverlay& operator=(const HostedOverlay&) = delete;

    /// Binds the model (which must outlive the controller) and subscribes to its state.
    void attach(Mensor& model);

    void rebuild() override;

    /// Lays out and presents every display's scene now instead of at the end of the turn.
    void repaintNow();

    /// What the display's surface shows (empty for an unknown display).
    [[nodiscard]] draw::DrawList drawList(std::uint32_t displayId) const;

    /// The colour sampler on the overlay's surfaces, where the host takes the pointer while
    /// snapping (OverlayHost::takesPointerWhileSnapping()).
    struct Picking {
        std::function<void(Point)> moved;  ///< global points
        std::function<void(Point)> picked; ///< a left click there
        std::function<void()> cancelled;   ///< Escape or another button
    };
    /// The surfaces take the pointer and the keyboard for the sampler until stopPicking().
    void startPicking(Picking handlers);
    /// Shows `loupe` beside the pointer at `pointer` (global points).
    void showPickingLoupe(Point pointer, std::optional<Loupe> loupe);
    /// The surfaces return to what the model's overlay mode says.
    void stopPicking();
    [[nodiscard]] bool picking() const noexcept { return picking_.has_value(); }

private:
    struct Surface {
        /// What the surface itself paints: the scene's list without the parts the host shows
        /// apart (a floating loupe, a solid line).
        draw::DrawList base;
        /// Those parts, each with its place in the scene's list, in order. Taken out rather than
        /// copied: a move would otherwise copy every operation of the list.
        std::vector<std::pair<std::size_t, draw::DrawOp>> apart;
        std::vector<QRect> drawn; ///< of what the surface paints, logical pixels
        /// The floating loupe, moved to its frame's top-left, and that frame (device pixels).
        draw::DrawList floating;
        std::optional<DeviceRect> floatingFrame;
        QImage floatingCanvas;
        /// Where the host shows the live vertical line (device pixels), and in what colour.
        std::optional<std::pair<DeviceRect, std::uint32_t>> solid;
        draw::QPainterBackend renderer; ///< keeps this display's fonts and label images
        /// The canvas last painted, kept with its paint engine: making one per frame costs
        /// more than a small repaint.
        QImage canvas;
        std::unique_ptr<GuideEditor> editor;
    };

    void pointerMoved(std::uint32_t displayId, Point at) override;
    void buttonPressed(std::uint32_t displayId, Point at, OverlayButton button) override;
    void buttonReleased(std::uint32_t displayId, Point at, OverlayButton button) override;
    void keyPressed(std::uint32_t displayId, const OverlayKeyPress& key) override;

    void paint(std::uint32_t displayId, const OverlayCanvas& canvas, std::span<const Rect> rects);
    /// Shows the surfaces while `mode` says so, hides them otherwise, and sets the input they
    /// take.
    void apply(const OverlayMode& mode);
    void scheduleRepaint();
    /// Repaints `rects` (points) of the display's floating part, all of it when none are given.
    void paintFloating(std::uint32_t displayId, const OverlayCanvas& canvas,
                       std::span<const Rect> rects);
    /// Whether the surface shows `list` already.
    [[nodiscard]] static bool shows(const Surface& surface, const draw::DrawList& list);
    /// The scene's whole list, put back together from the surface's parts.
    [[nodiscard]] static draw::DrawList sceneList(const Surface& surface);
    void present(std::uint32_t displayId, Surface& surface, draw::DrawList list,
                 OverlayPainter::Parts parts);
    /// Takes `list` as the scene shown: places the parts the host shows apart (the floating
    /// loupe, the solid line) where it lets them, and the rest as the base list.
    void placeParts(std::uint32_t displayId, Surface& surface, draw::DrawList list,
                    OverlayPainter::Parts parts);
    /// The loupe's frame on the host's floating part (device pixels), if it floats.
    [[nodiscard]] std::optional<DeviceRect> loupeFrame(std::uint32_t displayId,
                                                       const std::vector<draw::DrawOp>& ops,
                                                       OverlayPainter::Span loupe) const;
    void showMenu(GuideEditor& editor, Point at);
    /// The guide editor of the display while editing guides, else null.
    [[nodiscard]] GuideEditor* editorOf(std::uint32_t displayId);
    /// Whether the mode's cursor is the crosshair (snapping, picking a colour).
    [[nodiscard]] bool crosshair() const;
    /// Shows the cursor for the mode (and, editing, for what a press would do on `displayId`).
    void showCursor(std::uint32_t displayId);

    OverlayHost& host_;
    const DisplayPort& displays_;
    Mensor* model_ = nullptr;
    std::map<std::uint32_t, std::unique_ptr<Surface>> surfaces_;
    OverlayInputMode mode_ = OverlayInputMode::idle;
    struct PickingState {
        Picking handlers;
        Point pointer;                          ///< where the loupe was captured
        std::optional<std::uint32_t> displayId; ///< the display holding it
        std::optional<Loupe> loupe;
    };
    std::optional<PickingState> picking_;
    GuideEditor* dragging_ = nullptr; ///< the editor a left button went down on
    bool repaintPending_ = false;
    QObject context_; ///< for calls at the turn's end
    std::vector<Subscription> subscriptions_;
};

} // namespace spanlet
