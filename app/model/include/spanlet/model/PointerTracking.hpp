#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <spanlet/EdgeDetector.hpp>
#include <spanlet/model/Clock.hpp>
#include <spanlet/model/LiveMeasurement.hpp>
#include <spanlet/model/MensorRecords.hpp>
#include <spanlet/model/Observable.hpp>
#include <spanlet/model/Preferences.hpp>
#include <spanlet/platform/CapturePort.hpp>
#include <spanlet/platform/DisplayPort.hpp>
#include <spanlet/platform/PermissionPort.hpp>
#include <spanlet/screen/ScreenInfo.hpp>

namespace spanlet {

/// Where the pointer is, and what edge snapping measures there: the pointer as the platform
/// pushes it, the capture pipeline with its per-display filter cache, and the live frame. The
/// model owns one and says when the pointer is to be followed and when the displays changed;
/// it reads the displays, the preferences and the snapping switch straight from the model.
/// Runs on the main thread; the platform's answers reach it through a lifetime token, so late
/// ones do nothing.
class PointerTracking {
public:
    /// A still pointer is measured again this long after its previous capture finished, as what
    /// lies under it may change. Where the platform reports changes it is watched instead from
    /// then on, and measured again (at most this often) only when a change is reported or the
    /// settings for measuring changed. Nothing else wakes Spanlet while it snaps at a still
    /// pointer.
    static constexpr std::chrono::seconds remeasureInterval{1};
    /// How long a display's capture filter is reused.
    static constexpr std::chrono::seconds filterLifetime{5};
    /// The time stamp of a capture that never happened.
    static constexpr Clock::Instant distantPast = Clock::Instant::min();

    /// The platform it reaches; each must outlive it.
    struct Ports {
        Clock& clock;
        DisplayPort& displays;
        CapturePort& capture;
        PermissionPort& permission;
    };
    /// The model's state it reads; each must outlive it.
    struct Sources {
        const Observable<std::vector<ScreenInfo>>& screens;
        const Observable<Preferences>& prefs;
        const Observable<bool>& snapping;
    };

    /// Reads the pointer; nothing else happens until it is to be followed.
    PointerTracking(Ports ports, Sources sources);
    ~PointerTracking();
    PointerTracking(const PointerTracking&) = delete;
    PointerTracking& operator=(const PointerTracking&) = delete;

    // Observed fields.
    /// Global top-left points.
    [[nodiscard]] const Observable<Point>& pointer() const noexcept { return pointer_; }
    /// Whether the platform has told where the pointer is; until then pointer() is a
    /// placeholder and nothing is measured.
    [[nodiscard]] bool pointerKnown() const { return ports_.displays.pointerKnown(); }
    [[nodiscard]] const Observable<std::optional<std::uint32_t>>& pointerScreen() const noexcept {
        return pointerScreen_;
    }
    /// The live measurement, the loupe and the capture problem with the pointer they belong to;
    /// changes at most once per capture, and when snapping turns on or off.
    [[nodiscard]] const Observable<LiveFrame>& liveFrame() const noexcept { return liveFrame_; }

    // Parts of the live frame.
    [[nodiscard]] const std::optional<Cross>& live() const noexcept { return liveFrame_->cross; }
    [[nodiscard]] const std::optional<Loupe>& loupe() const noexcept { return liveFrame_->loupe; }
    [[nodiscard]] const std::optional<std::string>& captureProblem() const noexcept {
        return liveFrame_->captureProblem;
    }

    // Capture state, not observed.
    [[nodiscard]] bool capturing() const noexcept { return capturing_; }
    [[nodiscard]] Clock::Instant lastCapture() const noexcept { return lastCapture_; }
    /// Whether the pointer is followed: the platform pushes its moves.
    [[nodiscard]] bool hasPointerTask() const noexcept { return following_; }
    [[nodiscard]] std::size_t cachedFilterCount() const noexcept { return filters_.size(); }

    /// Reads the pointer from the platform.
    void update();
    /// While `wanted`, the platform pushes each move, and while snapping each move is measured
    /// (a still pointer again every remeasureInterval); otherwise nothing is watched.
    void runTask(bool wanted);
    /// Finds the display under the pointer again and forgets every display's filter,
    /// including those still being asked for.
    void displaysChanged();
    /// An empty live frame at the current pointer, as snapping turns on or off.
    void clearLiveFrame();
    /// The loupe at `pointer` alone, through the same filters and capture as measuring (the
    /// colour sampler's loupe). `done` runs once, later, with nothing when the capture failed.
    void captureLoupe(Point pointer, std::function<void(std::optional<Loupe>)> done);

private:
    struct CachedFilter {
        ScreenCapture::Filter filter;
        Clock::Instant made;
    };

    [[nodiscard]] std::weak_ptr<PointerTracking> weakSelf() {
        return std::shared_ptr<PointerTracking>(lifetime_, this);
    }
    /// The one place the pointer changes; the display under it is worked out here.
    void moveTo(Point pointer);
    void locate();
    /// Measures at the pointer, unless a capture is out or the pointer is where the last one was
    /// taken less than remeasureInterval ago; then the next one is scheduled for that moment,
    /// when a platform that reports changes starts watching instead if nothing called for one.
    void capture();
    /// Whether the still pointer can wait for a reported change rather than be measured now.
    bool waitForChange();
    /// Whether the platform watches what the latest capture read; starts watching if need be.
    /// Only for a pointer still for a while: starting and stopping cost a moving pointer.
    bool watchCaptures();
    void stopWatching();
    /// The still pointer's time to be measured again has come.
    void remeasured();
    /// Starts a capture at the pointer.
    void measure();
    void applyCapture(std::uint32_t displayId, Point pointer,
                      std::optional<std::uint32_t> pointerScreen,
                      const CaptureResult<LiveMeasurement::Result>& result);
    /// The display's capture filter, reused for filterLifetime. `done` runs at once for a
    /// cached filter, later otherwise.
    void cachedFilter(std::uint32_t displayId,
                      std::function<void(CaptureResult<ScreenCapture::Filter>)> done);
    /// The edge options of the tolerance preference, kept within its meaningful range.
    [[nodiscard]] EdgeOptions edgeOptions() const;

    Ports ports_;
    Sources sources_;
    std::shared_ptr<char> lifetime_ = std::make_shared<char>();

    Observable<Point> pointer_;
    Observable<std::optional<std::uint32_t>> pointerScreen_;
    Observable<LiveFrame> liveFrame_;
    /// The display holding the pointer, or else the nearest one: the one a capture reads.
    std::optional<ScreenInfo> display_;

    bool following_ = false;
    TimerHandle remeasure_;
    Clock::Instant remeasureAfter_ = distantPast; ///< the capture remeasure_ was set after
    bool capturing_ = false;
    Clock::Instant lastCapture_ = distantPast;
    Point lastCapturePointer_{-1, -1};
    /// The still pointer is to be measured again once remeasureInterval allows, though no change
    /// was reported: the live frame was cleared, the displays changed or the last capture failed.
    bool stale_ = true;
    bool watching_ = false;
    /// What the last capture was measured with; a change of either measures again.
    double lastTolerance_ = 0;
    bool lastShowLoupe_ = false;
    std::map<std::uint32_t, CachedFilter> filters_;
    /// Bumped on every display change, so a filter asked for before it is not cached after it.
    std::uint64_t displayGeneration_ = 0;
};

} // namespace spanlet
