#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <vector>

#include <spanlet/platform/OverlayHost.hpp>
#include <spanlet/wayland/PixelRect.hpp>

class QObject;
class QTimer;

namespace spanlet::wayland {

class CursorCheck;
class HoleCapture;
class OverlayKeyboard;
class OverlayMenu;
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
    /// A popup of the display's surface (OverlayMenu); while it is open the input over our
    /// surfaces is the menu's, and a click outside it only closes it.
    void showMenu(Point at, std::vector<std::string> titles,
                  std::function<void(std::size_t)> chosen) override;
    [[nodiscard]] bool takesPointerWhileSnapping() const override { return true; }
    /// The loupe floats on a subsurface of the display's surface where its scale is whole (a
    /// subsurface's place is in whole points).
    [[nodiscard]] bool floats(std::uint32_t displayId) const override;
    void bindFloating(const OverlayPaint& paint) override { floatingPaint_ = paint; }
    void placeFloating(std::uint32_t displayId, std::optional<DeviceRect> frame,
                       std::span<const Rect> damage) override;

    /// The display's surface, or null.
    [[nodiscard]] OverlaySurface* surface(std::uint32_t displayId) const;
    /// The display's floating part, or null (for tests).
    [[nodiscard]] OverlaySurface* floatingSurface(std::uint32_t displayId) const;
    /// Whether a menu is open (for tests).
    [[nodiscard]] bool menuShown() const noexcept { return menu_ != nullptr; }

private:
    struct Panel;
    struct Holes;

    Panel* panelOf(const void* surface);
    /// Where the menu's top-left corner is (global points), once it is placed.
    [[nodiscard]] std::optional<Point> menuOrigin() const;
    /// Whether the pointer is over the menu.
    [[nodiscard]] bool overMenu() const;
    /// Input while a menu is open goes to it; whether it did.
    bool menuPointer(Point at, std::uint32_t code, bool pressed);
    void closeMenu();
    /// The display at `at`: the one holding it, else the first.
    [[nodiscard]] Panel* panelAt(Point at);
    /// The panel under the pointer while snapping or picking a colour (copies are taken around
    /// the pointer), else null.
    [[nodiscard]] Panel* snappingPanel();
    /// Tells the cursor check where the pointer is, then shows the cursor.
    void updateCursor();
    /// Shows the cursor for the mode and the pointer's place.
    void showCursor();
    void punch(std::uint32_t displayId, PixelRect hole, std::function<void()> ready);
    void punchPending();
    void closeHole(std::uint32_t displayId, PixelRect hole);
    void showClosedHoles();
    /// Gives the floating part, in its own pixels, the panel's open holes over it and those
    /// about to be `punching`; whether that changed its holes.
    static bool updateFloatingHoles(Panel& panel, std::span<const PixelRect> punching = {});
    /// The floating part changed: the panel commits by the turn's end, which shows that.
    void floatingChanged(Panel& panel);
    void commitFloatingParents();

    WaylandConnection& connection_;
    WaylandDisplayPort& displays_;
    HoleCapture& holes_;
    CursorCheck& cursorCheck_;
    OverlayPaint paint_;
    OverlayPaint floatingPaint_;
    bool floatingCommitQueued_ = false;
    OverlayInput* input_ = nullptr;
    std::map<std::uint32_t, std::unique_ptr<Panel>> panels_;
    std::unique_ptr<OverlayPointer> pointer_;
    std::unique_ptr<OverlayKeyboard> keyboard_;
    std::unique_ptr<OverlayMenu> menu_; ///< goes before the panels, its parents
    std::uint32_t menuDisplay_ = 0;
    OverlayInputMode mode_ = OverlayInputMode::idle;
    OverlayCursor cursor_ = OverlayCursor::arrow;
    std::map<std::uint32_t, Holes> pendingHoles_; ///< asked for in this event-loop turn
    std::set<std::uint32_t> closedHoles_;         ///< displays whose holes closed in this turn
    std::unique_ptr<QObject> context_;            ///< for calls at the turn's end and posted ones
    QTimer* rest_ = nullptr; ///< runs while the pointer has not stayed put long enough for a check
};

} // namespace spanlet::wayland
