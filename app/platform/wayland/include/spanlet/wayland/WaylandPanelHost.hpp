#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <spanlet/platform/PanelHost.hpp>
#include <spanlet/wayland/OverlaySurface.hpp>
#include <spanlet/wayland/PixelRect.hpp>

class QTimer;
struct wl_callback;

namespace spanlet::wayland {

class HoleCapture;
class OverlayMenu;
class OverlayKeyboard;
class OverlayPointer;
class WaylandConnection;
class WaylandDisplayPort;

/// A floating panel on a wlroots compositor: a layer-shell surface on the top layer of the
/// output holding the panel's centre, placed by margins (see OverlaySurface's panel
/// constructor), never a window the compositor would tile. Moved by new margins on the same
/// output, made anew on another. The pointer over it is the display port's pointer, as over the
/// overlay; a click gives it the keyboard where the compositor offers that. Captures see under
/// it: it clears the rectangles they copy, as the overlay does (the last panel host made does).
class WaylandPanelHost final : public PanelHost {
public:
    /// Every argument must outlive the host.
    WaylandPanelHost(WaylandConnection& connection, WaylandDisplayPort& displays,
                     HoleCapture& holes);
    ~WaylandPanelHost() override;
    WaylandPanelHost(const WaylandPanelHost&) = delete;
    WaylandPanelHost& operator=(const WaylandPanelHost&) = delete;

    void bind(PanelPaint paint, PanelInput* input) override;
    void place(const std::optional<Rect>& frame) override;
    [[nodiscard]] double scale() const override;
    void update(std::span<const Rect> damage) override;
    void setCursor(PanelCursor cursor) override;
    /// A popup of the panel's surface (OverlayMenu); while it is open the input over the panel
    /// is the menu's, and a click on the panel outside it only closes it.
    void showMenu(Point at, std::vector<std::string> titles,
                  std::function<void(std::size_t)> chosen) override;
    /// Whether a menu is open (for tests).
    [[nodiscard]] bool menuShown() const noexcept { return menu_ != nullptr; }

    /// The panel's surface while it is shown, else null.
    [[nodiscard]] OverlaySurface* surface() const noexcept { return surface_.get(); }

    struct Listeners;

private:
    /// Hides the panel: its menu, surface, holes and moves go.
    void drop();
    /// Where the menu's top-left corner is (global points), once it is placed.
    [[nodiscard]] std::optional<Point> menuOrigin() const;
    /// Input while a menu is open goes to it; whether it did.
    bool menuPointer(Point at, std::uint32_t code, bool pressed);
    void closeMenu();
    /// Paints the whole canvas, without showing it.
    void paintAll();
    [[nodiscard]] OverlayCanvas canvas() const;
    /// Clears `hole` (device pixels of display `displayId`) where the panel covers it.
    void openHole(std::uint32_t displayId, const PixelRect& hole);
    void closeHole(std::uint32_t displayId, const PixelRect& hole);

    /// A hole open in the panel: as the capture asked for it, and in the canvas.
    struct Hole {
        std::uint32_t displayId = 0;
        PixelRect asked;
        PixelRect canvas;
    };

    WaylandConnection& connection_;
    WaylandDisplayPort& displays_;
    HoleCapture& holes_;
    PanelPaint paint_;
    PanelInput* input_ = nullptr;
    std::unique_ptr<OverlaySurface> surface_;
    std::uint32_t outputId_ = 0;
    double outputScale_ = 1;
    OverlaySurface::Box box_;
    /// The panel's top-left corner (global points) where the compositor has put it, which
    /// the pointer's positions are relative to.
    Point origin_;
    /// A move not yet known to be made: the sync asked for after it, and the new corner.
    struct Move {
        wl_callback* sync = nullptr;
        Point origin;
    };
    std::deque<Move> moves_;
    std::unique_ptr<OverlayPointer> pointer_;
    std::unique_ptr<OverlayKeyboard> keyboard_;
    PanelCursor cursor_ = PanelCursor::arrow;
    std::vector<Hole> open_;
    std::unique_ptr<OverlayMenu> menu_; ///< goes before the surface, its parent
    Point menuParent_;                  ///< the panel's corner when the menu opened
    /// Runs the menu's choice once the menu's own handler has returned.
    std::unique_ptr<QTimer> choose_;
    std::function<void()> choice_;
};

} // namespace spanlet::wayland
