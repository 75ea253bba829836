#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include <spanlet/platform/OverlayHost.hpp>
#include <spanlet/wayland/PixelRect.hpp>

class QObject;

namespace spanlet::wayland {

class CursorCheck;
class HoleCapture;
class OverlayKeyboard;
class OverlayPointer;
class OverlaySurface;
class WaylandConnection;
class WaylandDisplayPort;

/// The overlay on a wlroots compositor: one layer-shell surface per display (OverlaySurface),
/// always mapped; a hidden overlay is one painted empty. A Wayland client sees the pointer only
/// over its own surfaces, so while snapping or editing guides the surfaces take the pointer and
/// the keyboard: each position the pointer reports is the display port's pointer. While
/// snapping the crosshair shows only once the cursor check has found that copies leave it out.
/// Before each capture the rectangles to copy are cleared in the overlay (see HoleCapture).
class WaylandOverlayHost final : public OverlayHost {
public:
    /// Every argument must outlive the host.
    WaylandOverlayHost(WaylandConnection& connection, WaylandDisplayPort& displays,
                       HoleCapture& holes, CursorCheck& cursorCheck);
    ~WaylandOverlayHost() override;
    WaylandOverlayHost(const WaylandOverlayHost&) = delete;
    WaylandOverlayHost& operator=(const WaylandOverlayHost&) = delete;

    void bind(OverlayPaint paint, OverlayInput* input) override;
    void rebuild(const std::vector<ScreenInfo>& screens) override;
    [[nodiscard]] double scale(std::uint32_t displayId) const override;
    [[nodiscard]] bool cutsToDrawing(std::uint32_t /*displayId*/) const override { return false; }
    void update(std::uint32_t displayId, const OverlayUpdate& changes) override;
    void setShown(bool /*shown*/) override {}
    void setMode(OverlayInputMode mode) override;
    void setCursor(OverlayCursor cursor) override;
    /// Layer surfaces get no menus: nothing happens.
    void showMenu(Point /*at*/, std::vector<std::string> /*titles*/,
                  std::function<void(std::size_t)> /*chosen*/) override {}
    [[nodiscard]] bool takesPointerWhileSnapping() const override { return true; }

    /// The display's surface, or null.
    [[nodiscard]] OverlaySurface* surface(std::uint32_t displayId) const;

private:
    struct Panel;
    struct Holes;

    Panel* panelOf(const void* surface);
    /// The display at `at`: the one holding it, else the first.
    [[nodiscard]] Panel* panelAt(Point at);
    /// The panel under the pointer while snapping, else null.
    [[nodiscard]] Panel* snappingPanel();
    /// Tells the cursor check where the pointer is, then shows the cursor.
    void updateCursor();
    /// Shows the cursor for the mode and the pointer's place.
    void showCursor();
    void punch(std::uint32_t displayId, PixelRect hole, std::function<void()> ready);
    void punchPending();
    void closeHole(std::uint32_t displayId, PixelRect hole);

    WaylandConnection& connection_;
    WaylandDisplayPort& displays_;
    HoleCapture& holes_;
    CursorCheck& cursorCheck_;
    OverlayPaint paint_;
    OverlayInput* input_ = nullptr;
    std::map<std::uint32_t, std::unique_ptr<Panel>> panels_;
    std::unique_ptr<OverlayPointer> pointer_;
    std::unique_ptr<OverlayKeyboard> keyboard_;
    OverlayInputMode mode_ = OverlayInputMode::idle;
    OverlayCursor cursor_ = OverlayCursor::arrow;
    std::map<std::uint32_t, Holes> pendingHoles_; ///< asked for in this event-loop turn
    std::unique_ptr<QObject> context_;            ///< for posted calls
};

} // namespace spanlet::wayland
