#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <spanlet/Geometry.hpp>
#include <spanlet/model/Observable.hpp>
#include <spanlet/platform/Surfaces.hpp>
#include <spanlet/ruler/qt/RulerController.hpp>

namespace spanlet {

class DisplayPort;
class Mensor;
class RulerPanel;

/// The ruler on Qt: owns the one ruler panel, made when the model first shows the ruler and
/// kept (hidden) while the ruler is hidden. It follows the model's shown ruler frame.
///
/// The model must not be used by this controller after it is destroyed: call detach() first,
/// or destroy the controller without running the event loop in between.
class QtRulerController final : public RulerController {
public:
    /// `displays` gives the pointer position for mouse input; through `surfaces` the panel is
    /// left out of captures before it is first shown, and learns whether a compositor draws
    /// its translucency (without one it runs in shape mode, see RulerPanel::setShaped). Both
    /// must outlive the controller.
    QtRulerController(const DisplayPort& displays, WindowSurfaces& surfaces);
    ~QtRulerController() override;
    QtRulerController(const QtRulerController&) = delete;
    QtRulerController& operator=(const QtRulerController&) = delete;

    /// Binds the model, places the panel as its shown ruler frame says and repaints it when
    /// its pointer, preferences or displays change.
    void attach(Mensor& model) override;
    /// Drops the panel and the model.
    void detach() override;

    /// The panel, once made.
    [[nodiscard]] RulerPanel* panel() const noexcept { return panel_.get(); }

private:
    /// Hides the panel for no frame; otherwise makes the panel if needed, places it on `frame`
    /// and shows it.
    void place(const std::optional<Rect>& frame);
    void repaint();
    /// Places the panel on the model's frame again after Qt or the window system moved it,
    /// on the next turn of the event loop. A window manager that insists on another place wins
    /// after a few rounds instead of bouncing the window for ever.
    void restoreGeometry();

    const DisplayPort& displays_;
    WindowSurfaces& surfaces_;
    Mensor* model_ = nullptr;
    std::unique_ptr<RulerPanel> panel_;
    std::vector<Subscription> subscriptions_;
    bool restorePending_ = false;
    int restoresInARow_ = 0;
};

} // namespace spanlet
