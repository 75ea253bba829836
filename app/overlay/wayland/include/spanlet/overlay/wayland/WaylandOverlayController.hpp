#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include <spanlet/draw/DrawOps.hpp>
#include <spanlet/model/Controllers.hpp>
#include <spanlet/model/MensorRecords.hpp>
#include <spanlet/model/Observable.hpp>
#include <spanlet/screen/ScreenInfo.hpp>
#include <spanlet/wayland/PixelRect.hpp>

namespace spanlet {

class Mensor;
class GuideEditor;

namespace wayland {
class WaylandPlatform;
class OverlaySurface;
class OverlayPointer;
class OverlayKeyboard;
} // namespace wayland

/// The overlay on a wlroots compositor: one layer-shell surface per display showing the scene
/// the shared renderer draws. A Wayland client sees the pointer only over its own surfaces, so
/// while snapping the surfaces take the pointer: its moves are the model's pointer, a left
/// click keeps the measurement and Escape ends snapping. While editing guides, the pointer and
/// keys go to the guide editor of the display under the pointer instead. Before each capture the
/// rectangles to copy are cleared in the overlay (see HoleCapture).
///
/// Made before the model, attached to it afterwards; until then rebuild() does nothing.
class WaylandOverlayController final : public OverlayController {
public:
    /// `platform` must outlive the controller.
    explicit WaylandOverlayController(wayland::WaylandPlatform& platform);
    ~WaylandOverlayController() override;
    WaylandOverlayController(const WaylandOverlayController&) = delete;
    WaylandOverlayController& operator=(const WaylandOverlayController&) = delete;

    /// Binds the model (which must outlive the controller) and subscribes to its state.
    void attach(Mensor& model);

    void rebuild() override;

    /// Lays out and presents every display's scene now.
    void repaintNow();

private:
    struct Panel;
    struct Holes;

    /// Takes the pointer and keys while snapping or editing guides, ends a drag when editing
    /// ends, shows the cursor for the mode and redraws.
    void apply(const OverlayMode& mode);
    void scheduleRepaint();
    void punch(std::uint32_t displayId, wayland::PixelRect hole, std::function<void()> ready);
    void punchPending();
    void present(Panel& panel, draw::DrawList list);
    Panel* panelOf(const void* surface);
    /// The guide editor of the display at `at` while editing guides, else null.
    GuideEditor* editorAt(Point at);
    /// The panel under the pointer while snapping, not editing guides; else null.
    Panel* snappingPanel();
    /// Tells the cursor check where the pointer is, then shows the cursor.
    void updateCursor();
    /// Shows the cursor for the mode and the pointer's place.
    void showCursor();

    wayland::WaylandPlatform& platform_;
    Mensor* model_ = nullptr;
    std::map<std::uint32_t, std::unique_ptr<Panel>> panels_;
    std::unique_ptr<wayland::OverlayPointer> pointer_;
    std::unique_ptr<wayland::OverlayKeyboard> keyboard_;
    GuideEditor* dragging_ = nullptr;      ///< the editor a left button went down on
    std::map<std::uint32_t, Holes> holes_; ///< asked for in this event-loop turn
    bool repaintPending_ = false;
    /// Copies whose holes are cleared and not yet taken: no frame may cover them meanwhile.
    /// A repaint held back until those copies are taken.
    QObject context_; ///< for posted calls
    std::vector<Subscription> subscriptions_;
};

} // namespace spanlet
