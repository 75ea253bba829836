#pragma once

#include <memory>
#include <vector>

#include <spanlet/Commands.hpp>
#include <spanlet/model/ColorPicking.hpp>
#include <spanlet/model/GuideState.hpp>
#include <spanlet/model/Measurements.hpp>
#include <spanlet/model/MensorPorts.hpp>
#include <spanlet/model/MensorRecords.hpp>
#include <spanlet/model/Messages.hpp>
#include <spanlet/model/Observable.hpp>
#include <spanlet/model/PointerTracking.hpp>
#include <spanlet/model/Preferences.hpp>
#include <spanlet/model/RulerState.hpp>
#include <spanlet/model/Settings.hpp>
#include <spanlet/screen/ScreenInfo.hpp>

namespace spanlet {

/// The one model of the tool: all state that is shown anywhere, and every command. Views
/// subscribe to the observed fields one by one; each field notifies only when its value
/// really changes. Every operation runs on the main thread. Platform callbacks and timers
/// reach the model through a lifetime token, so any that fire after it is gone do nothing.
///
/// The model composes its parts, each with its own state and operations: the preferences
/// (Settings, reached through prefs() and setPrefs()), messages (messages()), the pointer and the
/// live measurement (tracking()), the ruler (ruler()), the guides (guides()), kept measurements and
/// copying (measurements()) and colours (colors()). It keeps the displays, the snapping switch,
/// start-up and the commands.
class Mensor {
public:
    /// Stores the ports and the loaded preferences and reads the displays and the pointer;
    /// nothing else happens until start().
    Mensor(MensorPorts ports, Preferences prefs);
    ~Mensor();
    Mensor(const Mensor&) = delete;
    Mensor& operator=(const Mensor&) = delete;

    // Observed fields.
    [[nodiscard]] const Observable<Preferences>& prefs() const noexcept {
        return settings_.prefs();
    }
    [[nodiscard]] const Observable<std::vector<ScreenInfo>>& screens() const noexcept {
        return screens_;
    }
    [[nodiscard]] const Observable<bool>& snapping() const noexcept { return snapping_; }
    /// What the overlay shows and which input it takes.
    [[nodiscard]] const Observable<OverlayMode>& overlayMode() const noexcept {
        return overlayMode_;
    }

    // The parts.
    [[nodiscard]] Messages& messages() noexcept { return messages_; }
    [[nodiscard]] const Messages& messages() const noexcept { return messages_; }
    [[nodiscard]] PointerTracking& tracking() noexcept { return tracking_; }
    [[nodiscard]] const PointerTracking& tracking() const noexcept { return tracking_; }
    [[nodiscard]] RulerState& ruler() noexcept { return ruler_; }
    [[nodiscard]] const RulerState& ruler() const noexcept { return ruler_; }
    [[nodiscard]] GuideState& guides() noexcept { return guides_; }
    [[nodiscard]] const GuideState& guides() const noexcept { return guides_; }
    [[nodiscard]] Measurements& measurements() noexcept { return measurements_; }
    [[nodiscard]] const Measurements& measurements() const noexcept { return measurements_; }
    [[nodiscard]] ColorPicking& colors() noexcept { return colors_; }
    [[nodiscard]] const ColorPicking& colors() const noexcept { return colors_; }

    // Start-up and commands.
    void start();
    void perform(MensorCommand command);
    void screensChanged();
    /// After every state change: reads the pointer, publishes the state derived from the rest
    /// (the shown ruler's frame, the overlay mode) and starts or stops following the pointer. Views
    /// redraw from the observed fields alone.
    void syncViews();

    /// Replaces the preferences: see Settings::set. Settings views change them this way.
    void setPrefs(Preferences next) { settings_.set(std::move(next)); }
    /// setPrefs() with a copy of the preferences that `change` edits.
    template <class Change>
    void updatePrefs(Change&& change) {
        settings_.update(std::forward<Change>(change));
    }

    void toggleUnit();
    void toggleSnapping();
    void enableSnapping();
    void disableSnapping();

private:
    /// A handle on this model that goes dead when it is destroyed.
    [[nodiscard]] std::weak_ptr<Mensor> weakSelf() {
        return std::shared_ptr<Mensor>(lifetime_, this);
    }
    /// Whether any overlay panel has something to draw.
    [[nodiscard]] bool needsOverlay() const;

    MensorPorts ports_;
    std::shared_ptr<char> lifetime_ = std::make_shared<char>();

    Observable<std::vector<ScreenInfo>> screens_;
    Observable<bool> snapping_{false};
    Observable<OverlayMode> overlayMode_;

    // Each part after the parts and fields it reaches.
    Messages messages_;
    Settings settings_;
    PointerTracking tracking_;
    RulerState ruler_;
    GuideState guides_;
    Measurements measurements_;
    ColorPicking colors_;
};

} // namespace spanlet
