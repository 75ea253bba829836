#pragma once

namespace spanlet {

/// The overlay panels, one per display. They redraw from the model's observed fields, the
/// overlay mode among them.
class OverlayController {
public:
    virtual ~OverlayController() = default;
    /// Makes the panels afresh for the current displays, shown as the current overlay mode says.
    virtual void rebuild() = 0;
};

} // namespace spanlet
