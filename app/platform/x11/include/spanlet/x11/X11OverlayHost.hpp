#pragma once

#include <QPointer>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include <spanlet/platform/OverlayHost.hpp>
#include <spanlet/x11/OverlayPanel.hpp>
#include <spanlet/x11/OverlaySurfaces.hpp>
#include <spanlet/x11/X11DisplayPort.hpp>

class QMenu;

namespace spanlet {

/// The overlay on X11: one OverlayPanel (a Qt window) per display, left out of captures, kept
/// above every window another client maps. The panels take input only while editing guides
/// (snapping reads the pointer from the server, and clicks go to the windows below); then the
/// panel of the pointer's display takes the keyboard, handing it back to the window that had
/// it afterwards. Without a compositor each panel is cut to what it draws; with one, the loupe
/// floats above its panel in a small window of its own, which the server moves.
class X11OverlayHost final : public OverlayHost {
public:
    /// `displays` gives the pointer and the displays' places; both must outlive the host.
    X11OverlayHost(const X11DisplayPort& displays, OverlaySurfaces& surfaces);
    ~X11OverlayHost() override;
    X11OverlayHost(const X11OverlayHost&) = delete;
    X11OverlayHost& operator=(const X11OverlayHost&) = delete;

    void bind(OverlayPaint paint, OverlayInput* input) override;
    void rebuild(const std::vector<ScreenInfo>& screens) override;
    [[nodiscard]] double scale(std::uint32_t displayId) const override;
    [[nodiscard]] bool cutsToDrawing(std::uint32_t displayId) const override;
    void update(std::uint32_t displayId, const OverlayUpdate& changes) override;
    void setShown(bool shown) override;
    void setMode(OverlayInputMode mode) override;
    void setCursor(OverlayCursor cursor) override;
    void showMenu(Point at, std::vector<std::string> titles,
                  std::function<void(std::size_t)> chosen) override;
    [[nodiscard]] bool takesPointerWhileSnapping() const override { return false; }
    [[nodiscard]] bool floats(std::uint32_t displayId) const override;
    void bindFloating(const OverlayPaint& paint) override;
    void placeFloating(std::uint32_t displayId, std::optional<DeviceRect> frame,
                       std::span<const Rect> damage) override;
    [[nodiscard]] bool solids(std::uint32_t displayId) const override;
    void placeSolid(std::uint32_t displayId, std::optional<DeviceRect> frame,
                    std::uint32_t argb) override;

    [[nodiscard]] std::vector<x11::OverlayPanel*> panels() const;
    [[nodiscard]] x11::OverlayPanel* panel(std::uint32_t displayId) const;

private:
    void discardPanels();
    /// Gives the keyboard (and, in shape mode, the pointer) to the panel of the pointer's display.
    void focusPointerPanel();
    /// Takes the grab and the cursor back, and the keyboard to the window that had it before.
    void finishFocus();
    void otherWindowMapped(NativeWindow window);
    /// Shows the display's floating part where it was last placed, above its panel and solid.
    void showFloating(std::uint32_t displayId);
    /// Shows the display's solid where it was last placed, just above its panel.
    void showSolid(std::uint32_t displayId);
    /// The display's frame in root device pixels, if it is known.
    [[nodiscard]] std::optional<DeviceRect> deviceFrame(std::uint32_t displayId) const;
    /// Whether `window` is one of the floating parts or solids.
    [[nodiscard]] bool ownPart(NativeWindow window) const;

    const X11DisplayPort& displays_;
    OverlaySurfaces& surfaces_;
    x11::PanelClient client_;
    OverlayPaint floatingPaint_;
    struct Floating {
        std::unique_ptr<FloatingSurface> surface;
        std::optional<DeviceRect> frame; ///< display-local device pixels; none while hidden
    };
    std::map<std::uint32_t, Floating> floating_;
    /// No floating surface could be made: the loupe stays on the panels.
    bool floatingFailed_ = false;
    struct Solid {
        std::unique_ptr<SolidSurface> surface;
        std::optional<DeviceRect> frame; ///< display-local device pixels; none while hidden
        std::uint32_t argb = 0;
    };
    std::map<std::uint32_t, Solid> solids_;
    /// No solid surface could be made: the panels draw what it would show.
    bool solidFailed_ = false;
    std::vector<ScreenInfo> screens_;
    std::map<std::uint32_t, x11::OverlayPanel*> panels_;
    OverlayInputMode mode_ = OverlayInputMode::idle;
    /// Set by a rebuild while editing: the new panel of the pointer's display takes the keyboard
    /// once shown, still handing it back to focusBefore_ afterwards.
    bool refocus_ = false;
    /// The X window that had the keyboard before the editor took it.
    NativeWindow focusBefore_ = 0;
    QPointer<QMenu> menu_;
};

} // namespace spanlet
