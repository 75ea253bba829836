#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <spanlet/Geometry.hpp>
#include <spanlet/platform/OverlayHost.hpp>

namespace spanlet {

enum class PanelCursor : std::uint8_t {
    arrow,
    openHand,
    closedHand,
    resizeLeftRight,
    resizeUpDown
};

/// Input on a floating panel, delivered by its host on the main thread. Positions are global
/// top-left points.
class PanelInput {
public:
    virtual ~PanelInput() = default;
    /// The pointer entered the panel or moved over it (or, while a button is held, anywhere).
    virtual void pointerMoved(Point at) = 0;
    virtual void buttonPressed(Point at, OverlayButton button) = 0;
    virtual void buttonReleased(Point at, OverlayButton button) = 0;
    /// The pointer is no longer over the panel.
    virtual void pointerLeft() = 0;
    /// A key while the panel has the keyboard (it gets it when clicked).
    virtual void keyPressed(const OverlayKeyPress& key) = 0;
};

/// Paints `rects` (panel-local points) of the panel into `canvas`: each cleared to transparent,
/// then drawn.
using PanelPaint = std::function<void(const OverlayCanvas& canvas, std::span<const Rect> rects)>;

/// A floating panel of ours (the ruler) that the back end hosts itself, where the toolkit's
/// windows would be managed like any other window: a surface above every window, placed by us,
/// taking the pointer over its whole frame and the keyboard once clicked. Main thread only.
class PanelHost {
public:
    virtual ~PanelHost() = default;

    /// Who paints the panel and who hears its input (may be null). Both must outlive the
    /// panel, or be unbound (empty, null) first.
    virtual void bind(PanelPaint paint, PanelInput* input) = 0;

    /// Shows the panel at `frame` (global top-left points, whole points) on the display
    /// holding the frame's centre, painted anew; hides it for nothing.
    virtual void place(const std::optional<Rect>& frame) = 0;
    /// Canvas pixels per point of the shown panel, to which damage is rounded out.
    [[nodiscard]] virtual double scale() const = 0;
    /// Repaints `damage` (panel-local points) and puts it on screen.
    virtual void update(std::span<const Rect> damage) = 0;
    /// The cursor over the panel.
    virtual void setCursor(PanelCursor cursor) = 0;
    /// A menu at `at` (global points, on the panel); `chosen` runs with the index of the entry
    /// picked. An empty title is a separator.
    virtual void showMenu(Point at, std::vector<std::string> titles,
                          std::function<void(std::size_t)> chosen) = 0;
};

} // namespace spanlet
