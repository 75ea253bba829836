#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include <spanlet/draw/qt/QtTextMeasurer.hpp>
#include <spanlet/model/Controllers.hpp>
#include <spanlet/model/MensorRecords.hpp>
#include <spanlet/model/Observable.hpp>
#include <spanlet/platform/OverlaySurfaces.hpp>

namespace spanlet {

class Mensor;
class DisplayPort;
class OverlayPanel;

/// The overlay panels on Qt/X11: one per display of the model, shown while the model needs an
/// overlay, taking input only while the guide editor is active. Panels are repainted from the
/// model's observed state, coalesced to once per event-loop turn; while snapping, once per
/// capture (the live frame), not per pointer move.
///
/// The model is made with a reference to this controller, so the controller is made first and
/// attached to the model afterwards; until then rebuild() does nothing.
class QtOverlayController final : public QObject, public OverlayController {
    Q_OBJECT
public:
    /// `displays` gives the pointer to the guide editor; the panels are shown, shaped and
    /// presented through `surfaces`, and left out of captures. Both must outlive the controller.
    QtOverlayController(const DisplayPort& displays, OverlaySurfaces& surfaces);
    ~QtOverlayController() override;
    QtOverlayController(const QtOverlayController&) = delete;
    QtOverlayController& operator=(const QtOverlayController&) = delete;

    /// Binds the model (which must outlive the controller) and subscribes to its state.
    void attach(Mensor& model);

    void rebuild() override;

    /// Lays out and repaints every panel now instead of at the end of the event-loop turn.
    void repaintNow();

    [[nodiscard]] std::vector<OverlayPanel*> panels() const;
    [[nodiscard]] OverlayPanel* panel(std::uint32_t screenId) const;
    /// Whether the panels draw with true alpha (a compositor runs) rather than in shape mode.
    [[nodiscard]] bool compositing() const { return surfaces_.compositing(); }

private:
    /// Shows the panels while `mode` says so, hides them otherwise, hands the keyboard to the
    /// guide editor as editing starts and back as it ends, and redraws.
    void apply(const OverlayMode& mode);
    void scheduleRepaint();
    void discardPanels();
    void otherWindowMapped(NativeWindow window);
    void finishFocus();

    const DisplayPort& displays_;
    OverlaySurfaces& surfaces_;
    Mensor* model_ = nullptr;
    std::map<std::uint32_t, OverlayPanel*> panels_;
    bool wasEditing_ = false;
    /// Set by a rebuild while editing, so focusBefore_ survives it.
    bool regainFocus_ = false;
    bool repaintPending_ = false;
    /// The X window that had the keyboard before the editor took it.
    NativeWindow focusBefore_ = 0;
    draw::QtTextMeasurer measurer_;
    std::vector<Subscription> subscriptions_;
};

} // namespace spanlet
