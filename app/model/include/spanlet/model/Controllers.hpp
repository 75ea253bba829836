#pragma once

namespace spanlet {

/// The overlay panels, one per display. They read the model's state themselves.
class OverlayController {
public:
    virtual ~OverlayController() = default;
    /// Makes the panels afresh for the current displays.
    virtual void rebuild() = 0;
    /// Shows the panels while the model needs an overlay, hides them otherwise, and redraws.
    virtual void refresh() = 0;
};

/// The floating ruler panel.
class RulerController {
public:
    virtual ~RulerController() = default;
    /// Shows, places or hides the panel as the model's ruler state says.
    virtual void refresh() = 0;
};

} // namespace spanlet
