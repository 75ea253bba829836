#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <spanlet/Color.hpp>
#include <spanlet/Commands.hpp>
#include <spanlet/Cross.hpp>
#include <spanlet/EdgeDetector.hpp>
#include <spanlet/Guides.hpp>
#include <spanlet/MeasurementText.hpp>
#include <spanlet/Uuid.hpp>
#include <spanlet/model/MensorPorts.hpp>
#include <spanlet/model/MensorRecords.hpp>
#include <spanlet/model/Observable.hpp>
#include <spanlet/model/PointerTracking.hpp>
#include <spanlet/model/Preferences.hpp>
#include <spanlet/screen/ScreenInfo.hpp>

namespace spanlet {

/// The one model of the tool: all state that is shown anywhere, and every command. Views
/// subscribe to the observed fields one by one; each field notifies only when its value
/// really changes. Every operation runs on the main thread. Platform callbacks and timers
/// reach the model through a lifetime token, so any that fire after it is gone do nothing.
///
/// The operations are split by feature: commands, unit, snapping and colours
/// (MensorCommands.cpp, MensorColors.cpp); kept measurements, copying and messages
/// (MensorMessages.cpp); ruler (MensorRuler.cpp) and guides (MensorGuides.cpp). The pointer,
/// the capture pipeline and the live frame are tracking(), an object of their own.
class Mensor {
public:
    /// How long a message stays on screen.
    static constexpr std::chrono::milliseconds toastDuration{1400};
    /// Thickness of the ruler in points.
    static constexpr double rulerThickness = 40;
    /// Snap radius (points) when adding a guide, and when dragging one.
    static constexpr double addSnapRadius = 8;
    static constexpr double dragSnapRadius = 4;

    /// Stores the ports and the loaded preferences and reads the displays and the pointer;
    /// nothing else happens until start().
    Mensor(MensorPorts ports, Preferences prefs);
    ~Mensor();
    Mensor(const Mensor&) = delete;
    Mensor& operator=(const Mensor&) = delete;

    // Observed fields.
    [[nodiscard]] const Observable<Preferences>& prefs() const noexcept { return prefs_; }
    [[nodiscard]] const Observable<std::vector<ScreenInfo>>& screens() const noexcept {
        return screens_;
    }
    [[nodiscard]] const Observable<bool>& rulerVisible() const noexcept { return rulerVisible_; }
    [[nodiscard]] const Observable<bool>& editingGuides() const noexcept { return editingGuides_; }
    [[nodiscard]] const Observable<std::optional<Uuid>>& selectedGuide() const noexcept {
        return selectedGuide_;
    }
    [[nodiscard]] const Observable<bool>& snapping() const noexcept { return snapping_; }
    [[nodiscard]] const Observable<std::vector<Pinned>>& pinned() const noexcept { return pinned_; }
    [[nodiscard]] const Observable<std::optional<Toast>>& toast() const noexcept { return toast_; }
    /// What the overlay shows and which input it takes.
    [[nodiscard]] const Observable<OverlayMode>& overlayMode() const noexcept {
        return overlayMode_;
    }
    /// The ruler's frame (global top-left points) while it is shown, kept reachable; nothing
    /// while it is hidden.
    [[nodiscard]] const Observable<std::optional<Rect>>& shownRulerFrame() const noexcept {
        return shownRulerFrame_;
    }

    [[nodiscard]] bool samplerOpen() const noexcept { return samplerOpen_; }

    /// The pointer and the live measurement.
    [[nodiscard]] PointerTracking& tracking() noexcept { return tracking_; }
    [[nodiscard]] const PointerTracking& tracking() const noexcept { return tracking_; }

    // Start-up and commands.
    void start();
    void perform(MensorCommand command);
    void screensChanged();
    /// After every state change: reads the pointer, publishes the state derived from the rest
    /// (the overlay mode, the shown ruler's frame) and starts or stops following the pointer. Views
    /// redraw from the observed fields alone.
    void syncViews();

    /// Replaces the preferences; when they differ they are saved whole, the global shortcuts
    /// follow hotkeysEnabled and the user's bindings, and the views are synchronised. Settings
    /// views change them this way.
    void setPrefs(Preferences next);
    /// setPrefs() with a copy of the preferences that `change` edits.
    template <class Change>
    void updatePrefs(Change&& change) {
        Preferences next = *prefs_;
        change(next);
        setPrefs(std::move(next));
    }

    // Values such as ids and colours are taken by value: callers often pass a reference into
    // the model's own state, which the operation replaces.

    // Unit, snapping and colours.
    void toggleUnit();
    void toggleSnapping();
    void enableSnapping();
    void disableSnapping();
    void pickColor();
    void useColor(SRGBColor color, bool openColors);
    void copyColor(SRGBColor color, ColorStyle style);
    void clearRecentColors();

    // Kept measurements, copying and messages.
    void pinMeasurement();
    void copyMeasurement();
    void copy(Cross cross, CopyStyle style);
    void clearMeasurements();
    void removePinned(Uuid id);
    /// The live measurement, else the last kept one, else nothing.
    [[nodiscard]] std::optional<Cross> currentMeasurement() const;
    /// Shows `text` for toastDuration and announces `announcement` (else the text itself).
    void show(std::string text, std::optional<std::string> announcement = std::nullopt);
    void announce(const std::string& text);

    // Ruler.
    void toggleRuler();
    void resetRuler();
    void toggleRulerOrientation();
    void setRulerLength(double length);
    /// Global top-left points.
    [[nodiscard]] Rect rulerFrame() const;
    void moveRuler(Point origin);

    // Guides.
    void addGuide(Axis axis, std::optional<Point> at = std::nullopt);
    void startEditingGuides();
    void finishEditingGuides();
    void setSelectedGuide(std::optional<Uuid> id);
    void selectNextGuide(bool forward);
    void moveGuide(Uuid id, double to);
    void nudgeSelectedGuide(std::int64_t by);
    void removeGuide(Uuid id);
    void clearGuides();
    /// The guide's distance from its display's left (top) edge in the current unit.
    [[nodiscard]] std::string positionText(const Guide& guide) const;

private:
    /// A handle on this model that goes dead when it is destroyed.
    [[nodiscard]] std::weak_ptr<Mensor> weakSelf() {
        return std::shared_ptr<Mensor>(lifetime_, this);
    }
    [[nodiscard]] std::string snappingHint() const;
    /// Whether any overlay panel has something to draw.
    [[nodiscard]] bool needsOverlay() const;
    /// Saves changed preferences and keeps the hot keys in step, without syncing the views.
    /// Whether they changed.
    bool storePrefs(Preferences next);
    /// The place moveRuler() stores for `origin`; nothing for a place on no desktop.
    [[nodiscard]] std::optional<Point> rulerOrigin(Point origin) const;
    /// Moves a ruler that no display shows enough of back onto one, without syncing the views.
    void keepRulerReachable();
    /// Registers the bound shortcuts while hotkeysEnabled, else unregisters them all.
    void registerHotkeys();
    /// The scale of the display at `point`, or the standard scale without displays.
    [[nodiscard]] DisplayScale scaleAt(Point point) const;
    /// The point of a guide's line used to pick its display: its position and the pointer.
    [[nodiscard]] Point guidePoint(Axis axis, double position) const;

    MensorPorts ports_;
    std::shared_ptr<char> lifetime_ = std::make_shared<char>();

    Observable<Preferences> prefs_;
    Observable<std::vector<ScreenInfo>> screens_;
    Observable<bool> rulerVisible_{false};
    Observable<bool> editingGuides_{false};
    Observable<std::optional<Uuid>> selectedGuide_;
    Observable<bool> snapping_{false};
    Observable<std::vector<Pinned>> pinned_;
    Observable<std::optional<Toast>> toast_;
    Observable<OverlayMode> overlayMode_;
    Observable<std::optional<Rect>> shownRulerFrame_;

    /// After the fields it reads.
    PointerTracking tracking_;
    TimerHandle toastTimer_;
    bool samplerOpen_ = false;
    std::uint64_t samplerGeneration_ = 0;
};

} // namespace spanlet
