#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
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
#include <spanlet/model/LiveMeasurement.hpp>
#include <spanlet/model/MensorPorts.hpp>
#include <spanlet/model/MensorRecords.hpp>
#include <spanlet/model/Observable.hpp>
#include <spanlet/model/PeriodicTask.hpp>
#include <spanlet/model/Preferences.hpp>
#include <spanlet/screen/ScreenInfo.hpp>

namespace spanlet {

/// The one model of the tool: all state that is shown anywhere, and every command. Views
/// subscribe to the observed fields one by one; each field notifies only when its value
/// really changes. Every operation runs on the main thread. Platform callbacks and timers
/// reach the model through a lifetime token, so any that fire after it is gone do nothing.
///
/// The operations are split by feature: commands, unit, snapping and colours
/// (MensorCommands.cpp, MensorColors.cpp); pointer tracking and capture (MensorTracking.cpp);
/// kept measurements, copying and messages (MensorMessages.cpp); ruler (MensorRuler.cpp) and
/// guides (MensorGuides.cpp).
class Mensor {
public:
    /// The pointer task's period.
    static constexpr std::chrono::milliseconds pointerPeriod{16};
    /// A still pointer is measured again only this long after the previous capture finished.
    static constexpr std::chrono::milliseconds captureInterval{500};
    /// How long a display's capture filter is reused.
    static constexpr std::chrono::seconds filterLifetime{5};
    /// How long a message stays on screen.
    static constexpr std::chrono::milliseconds toastDuration{1400};
    /// The time stamp of a capture that never happened.
    static constexpr Clock::Instant distantPast = Clock::Instant::min();
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
    /// Global top-left points.
    [[nodiscard]] const Observable<Point>& pointer() const noexcept { return pointer_; }
    [[nodiscard]] const Observable<std::optional<std::uint32_t>>& pointerScreen() const noexcept {
        return pointerScreen_;
    }
    [[nodiscard]] const Observable<bool>& rulerVisible() const noexcept { return rulerVisible_; }
    [[nodiscard]] const Observable<bool>& editingGuides() const noexcept { return editingGuides_; }
    [[nodiscard]] const Observable<std::optional<Uuid>>& selectedGuide() const noexcept {
        return selectedGuide_;
    }
    [[nodiscard]] const Observable<bool>& snapping() const noexcept { return snapping_; }
    /// The live measurement, the loupe and the capture problem with the pointer they belong to;
    /// changes at most once per capture, and when snapping turns on or off.
    [[nodiscard]] const Observable<LiveFrame>& liveFrame() const noexcept { return liveFrame_; }
    [[nodiscard]] const Observable<std::vector<Pinned>>& pinned() const noexcept { return pinned_; }
    [[nodiscard]] const Observable<std::optional<Toast>>& toast() const noexcept { return toast_; }

    // Parts of the live frame.
    [[nodiscard]] const std::optional<Cross>& live() const noexcept { return liveFrame_->cross; }
    [[nodiscard]] const std::optional<Loupe>& loupe() const noexcept { return liveFrame_->loupe; }
    [[nodiscard]] const std::optional<std::string>& captureProblem() const noexcept {
        return liveFrame_->captureProblem;
    }

    // Capture state, not observed.
    [[nodiscard]] bool capturing() const noexcept { return capturing_; }
    [[nodiscard]] Clock::Instant lastCapture() const noexcept { return lastCapture_; }
    [[nodiscard]] bool hasPointerTask() const noexcept { return pointerTask_.isRunning(); }
    [[nodiscard]] std::size_t cachedFilterCount() const noexcept { return filters_.size(); }
    [[nodiscard]] bool samplerOpen() const noexcept { return samplerOpen_; }

    // Start-up, commands and the redraw contract.
    void start();
    void perform(MensorCommand command);
    void screensChanged();
    /// After every state change: pointer, overlay refresh, ruler refresh, pointer task.
    void syncViews();
    void updatePointer();
    /// A move the platform reports itself (where the pointer cannot be polled): taken at once
    /// and, while snapping, measured at once rather than at the next tick.
    void pointerMoved();
    void updatePointerTask();
    /// Whether any overlay panel has something to draw.
    [[nodiscard]] bool needsOverlay() const;

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

    // Pointer tracking and live measurement.
    /// One throttled capture-and-measure step of the pointer task.
    void capture();
    /// The display's capture filter, reused for filterLifetime. `done` runs at once for a
    /// cached filter, later otherwise.
    void cachedFilter(std::uint32_t displayId,
                      std::function<void(CaptureResult<ScreenCapture::Filter>)> done);
    void measure(const ScreenInfo& on, Point pointer, const ScreenCapture::Filter& filter,
                 bool showLoupe, const EdgeOptions& options,
                 std::function<void(CaptureResult<LiveMeasurement::Result>)> done);
    /// The loupe at `pointer` alone, through the same filters and capture as measuring (the
    /// colour sampler's loupe). `done` runs once, later, with nothing when the capture failed.
    void captureLoupe(Point pointer, std::function<void(std::optional<Loupe>)> done);
    /// The edge options of the tolerance preference, kept within its meaningful range.
    [[nodiscard]] EdgeOptions edgeOptions() const;

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
    void ensureRulerReachable();

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
    struct CachedFilter {
        ScreenCapture::Filter filter;
        Clock::Instant made;
    };

    /// A handle on this model that goes dead when it is destroyed.
    [[nodiscard]] std::weak_ptr<Mensor> weakSelf() {
        return std::shared_ptr<Mensor>(lifetime_, this);
    }
    void applyCapture(std::uint32_t displayId, Point pointer,
                      const CaptureResult<LiveMeasurement::Result>& result);
    /// An empty live frame at the current pointer, as snapping turns on or off.
    void clearLiveFrame();
    [[nodiscard]] std::string snappingHint() const;
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
    Observable<Point> pointer_;
    Observable<std::optional<std::uint32_t>> pointerScreen_;
    Observable<bool> rulerVisible_{false};
    Observable<bool> editingGuides_{false};
    Observable<std::optional<Uuid>> selectedGuide_;
    Observable<bool> snapping_{false};
    Observable<LiveFrame> liveFrame_;
    Observable<std::vector<Pinned>> pinned_;
    Observable<std::optional<Toast>> toast_;

    PeriodicTask pointerTask_;
    TimerHandle toastTimer_;
    bool capturing_ = false;
    Clock::Instant lastCapture_ = distantPast;
    Point lastCapturePointer_{-1, -1};
    std::map<std::uint32_t, CachedFilter> filters_;
    /// Bumped on every display change, so a filter asked for before it is not cached after it.
    std::uint64_t displayGeneration_ = 0;
    bool samplerOpen_ = false;
    std::uint64_t samplerGeneration_ = 0;
};

} // namespace spanlet
