#include <spanlet/model/PointerTracking.hpp>
#include <spanlet/model/PreferenceLimits.hpp>
#include <spanlet/screen/Desktop.hpp>

namespace spanlet {

namespace {

/// What the overlay says when a capture failed, by what the session allows.
std::string captureProblemText(CaptureAccess::State access) {
    switch (access) {
    case CaptureAccess::State::allowed:
        break;
    case CaptureAccess::State::grantable:
        return "Allow Screen Recording in Spanlet’s Settings to snap to edges";
    case CaptureAccess::State::unavailable:
        return "Edge snapping can’t read the screen in this session";
    }
    return "Can’t read this part of the screen";
}

} // namespace

PointerTracking::PointerTracking(Ports ports, Sources sources)
    : ports_(ports), sources_(sources), pointer_(ports.displays.pointerLocation()) {
    locate();
}

PointerTracking::~PointerTracking() {
    // What was handed out holds only the lifetime token, which dies with this; the platform
    // stops watching and the timer is cancelled so that nothing even wakes up.
    remeasure_.cancel();
    stopWatching();
    if (following_) {
        ports_.displays.setPointerHandler(nullptr);
    }
}

void PointerTracking::update() {
    moveTo(ports_.displays.pointerLocation());
}

void PointerTracking::moveTo(Point pointer) {
    if (pointer_.set(pointer)) {
        locate();
    }
}

void PointerTracking::locate() {
    const auto holding = Desktop::screenContaining(*pointer_, *sources_.screens);
    display_ = holding ? holding : Desktop::screen(*pointer_, *sources_.screens);
    pointerScreen_.set(holding ? std::optional<std::uint32_t>(holding->id) : std::nullopt);
}

void PointerTracking::runTask(bool wanted) {
    const bool snapping = wanted && *sources_.snapping;
    if (!snapping) {
        remeasure_.cancel();
        stopWatching();
    }
    if (wanted != following_) {
        following_ = wanted;
        std::function<void(Point)> moved;
        if (wanted) {
            moved = [weak = weakSelf()](Point pointer) {
                if (auto self = weak.lock()) {
                    self->moveTo(pointer);
                    if (*self->sources_.snapping) {
                        self->capture();
                    }
                }
            };
        }
        ports_.displays.setPointerHandler(std::move(moved));
    }
    if (snapping) {
        capture();
    }
}

void PointerTracking::displaysChanged() {
    locate();
    filters_.clear();
    ++displayGeneration_;
    stale_ = true;
}

EdgeOptions PointerTracking::edgeOptions() const {
    return EdgeOptions::fromTolerance(PreferenceLimits::usableTolerance(sources_.prefs->tolerance));
}

void PointerTracking::capture() {
    if (capturing_) {
        return; // what comes next is decided when it lands
    }
    const bool moved = *pointer_ != lastCapturePointer_;
    const Clock::Instant now = ports_.clock.now();
    // lastCapture + interval cannot overflow: lastCapture is distantPast or a real time.
    const Clock::Instant due = lastCapture_ + remeasureInterval;
    if (moved || now >= due) {
        if (!moved && waitForChange()) {
            return;
        }
        measure();
    } else if (remeasure_.isCancelled()) {
        remeasureAfter_ = lastCapture_;
        remeasure_ = ports_.clock.schedule(due - now, [weak = weakSelf()] {
            if (auto self = weak.lock()) {
                self->remeasured();
            }
        });
    }
}

bool PointerTracking::waitForChange() {
    return !stale_ && lastTolerance_ == sources_.prefs->tolerance &&
           lastShowLoupe_ == sources_.prefs->showLoupe && watchCaptures();
}

bool PointerTracking::watchCaptures() {
    if (!watching_) {
        watching_ = ports_.capture.watchChanges([weak = weakSelf()] {
            if (auto self = weak.lock()) {
                self->watching_ = false;
                self->stale_ = true;
                self->capture();
            }
        });
    }
    return watching_;
}

void PointerTracking::stopWatching() {
    if (watching_) {
        watching_ = false;
        ports_.capture.watchChanges(nullptr);
    }
}

void PointerTracking::remeasured() {
    remeasure_ = TimerHandle();
    if (lastCapture_ != remeasureAfter_) {
        // Measured since this was set: the interval counts from that capture.
        if (*sources_.snapping && !capturing_) {
            capture();
        }
        return;
    }
    // Timers may fire a little early; the still pointer is measured all the same.
    if (*sources_.snapping && !capturing_ &&
        (*pointer_ != lastCapturePointer_ || !waitForChange())) {
        measure();
    }
}

void PointerTracking::measure() {
    if (!display_ || !pointerKnown()) {
        return; // the first move pushed measures
    }
    // A timer set stays: it is the one for the next still pointer too, so that a moving pointer
    // sets one a second rather than one per capture.
    stopWatching(); // a moving pointer's captures are not watched
    capturing_ = true;
    stale_ = false;
    lastTolerance_ = sources_.prefs->tolerance;
    lastShowLoupe_ = sources_.prefs->showLoupe;
    const Point p = *pointer_;
    const std::optional<std::uint32_t> screen = *pointerScreen_;
    const bool showLoupe = sources_.prefs->showLoupe;
    const EdgeOptions options = edgeOptions();
    const ScreenInfo d = *display_;

    cachedFilter(d.id, [weak = weakSelf(), d, p, screen, showLoupe,
                        options](CaptureResult<ScreenCapture::Filter> filter) {
        auto self = weak.lock();
        if (!self) {
            return;
        }
        if (const auto* error = std::get_if<ScreenCapture::Error>(&filter)) {
            self->applyCapture(d.id, p, screen, *error);
            return;
        }
        LiveMeasurement::measure(
            self->ports_.capture, d, p, std::get<ScreenCapture::Filter>(filter), showLoupe, options,
            [weak, id = d.id, p, screen](const CaptureResult<LiveMeasurement::Result>& result) {
                if (auto tracking = weak.lock()) {
                    tracking->applyCapture(id, p, screen, result);
                }
            });
    });
}

void PointerTracking::applyCapture(std::uint32_t displayId, Point p,
                                   std::optional<std::uint32_t> pointerScreen,
                                   const CaptureResult<LiveMeasurement::Result>& result) {
    const auto* success = std::get_if<LiveMeasurement::Result>(&result);
    if (success == nullptr) {
        // The display's filter may be what failed: the next capture asks for a fresh one,
        // even when snapping went off meanwhile, and a still pointer tries again in time.
        filters_.erase(displayId);
        stale_ = true;
    }
    if (*sources_.snapping) {
        // Everything the capture gave, with the pointer it was taken at, as one change.
        LiveFrame frame;
        frame.pointer = p;
        frame.pointerScreen = pointerScreen;
        if (success != nullptr) {
            frame.cross = success->cross;
            frame.loupe = success->loupe;
        } else {
            frame.captureProblem = captureProblemText(ports_.permission.access().state);
        }
        liveFrame_.set(std::move(frame));
    }
    capturing_ = false;
    lastCapture_ = ports_.clock.now();
    lastCapturePointer_ = p;
    // A move reported while this capture was out is measured now; a still pointer is measured
    // again after remeasureInterval.
    if (*sources_.snapping && following_) {
        capture();
    }
}

void PointerTracking::captureLoupe(Point pointer, std::function<void(std::optional<Loupe>)> done) {
    const auto display = Desktop::screen(pointer, *sources_.screens);
    if (!display) {
        done(std::nullopt);
        return;
    }
    const ScreenInfo d = *display;
    cachedFilter(d.id, [weak = weakSelf(), d, pointer, done = std::move(done)](
                           CaptureResult<ScreenCapture::Filter> filter) mutable {
        auto self = weak.lock();
        if (!self) {
            return;
        }
        const auto* usable = std::get_if<ScreenCapture::Filter>(&filter);
        if (usable == nullptr) {
            self->filters_.erase(d.id);
            done(std::nullopt);
            return;
        }
        LiveMeasurement::loupe(
            self->ports_.capture, d, pointer, *usable,
            [weak, id = d.id, done = std::move(done)](CaptureResult<Loupe> result) {
                auto tracking = weak.lock();
                if (!tracking) {
                    return;
                }
                if (auto* loupe = std::get_if<Loupe>(&result)) {
                    done(std::move(*loupe));
                    return;
                }
                // As after a failed measurement: ask for a fresh filter.
                tracking->filters_.erase(id);
                done(std::nullopt);
            });
    });
}

void PointerTracking::clearLiveFrame() {
    stale_ = true;
    liveFrame_.set(LiveFrame{*pointer_, *pointerScreen_, std::nullopt, std::nullopt, std::nullopt});
}

void PointerTracking::cachedFilter(std::uint32_t displayId,
                                   std::function<void(CaptureResult<ScreenCapture::Filter>)> done) {
    const Clock::Instant now = ports_.clock.now();
    const auto cached = filters_.find(displayId);
    if (cached != filters_.end() && now < cached->second.made + filterLifetime) {
        done(cached->second.filter);
        return;
    }
    ports_.capture.filter(
        displayId, [weak = weakSelf(), displayId, generation = displayGeneration_,
                    done = std::move(done)](CaptureResult<ScreenCapture::Filter> result) {
            auto self = weak.lock();
            if (!self) {
                return;
            }
            // A filter asked for before the displays changed belongs to the old arrangement: it
            // serves this one capture but is not kept.
            if (const auto* filter = std::get_if<ScreenCapture::Filter>(&result);
                filter != nullptr && generation == self->displayGeneration_) {
                self->filters_[displayId] = CachedFilter{*filter, self->ports_.clock.now()};
            }
            done(std::move(result));
        });
}

} // namespace spanlet
