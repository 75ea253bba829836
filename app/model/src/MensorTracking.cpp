#include <spanlet/model/Mensor.hpp>
#include <spanlet/model/PreferenceLimits.hpp>
#include <spanlet/screen/Desktop.hpp>

namespace spanlet {

void Mensor::updatePointerTask() {
    if (!*rulerVisible_ && !*snapping_ && !*editingGuides_) {
        pointerTask_.cancel();
        pointerTask_ = PeriodicTask();
        return;
    }
    if (pointerTask_.isRunning()) {
        return;
    }
    pointerTask_ = PeriodicTask::start(ports_.clock, pointerPeriod, [weak = weakSelf()] {
        if (auto self = weak.lock()) {
            self->updatePointer();
            if (*self->snapping_) {
                self->capture();
            }
        }
    });
}

EdgeOptions Mensor::edgeOptions() const {
    return EdgeOptions::fromTolerance(PreferenceLimits::usableTolerance(prefs_->tolerance));
}

void Mensor::capture() {
    if (capturing_) {
        return;
    }
    const Clock::Instant now = ports_.clock.now();
    // lastCapture + interval cannot overflow: lastCapture is distantPast or a real time.
    if (*pointer_ == lastCapturePointer_ && now <= lastCapture_ + captureInterval) {
        return;
    }
    const auto display = Desktop::screen(*pointer_, *screens_);
    if (!display) {
        return;
    }
    capturing_ = true;
    const Point p = *pointer_;
    const bool showLoupe = prefs_->showLoupe;
    const EdgeOptions options = edgeOptions();
    const ScreenInfo d = *display;

    cachedFilter(d.id, [weak = weakSelf(), d, p, showLoupe,
                        options](CaptureResult<ScreenCapture::Filter> filter) {
        auto self = weak.lock();
        if (!self) {
            return;
        }
        if (const auto* error = std::get_if<ScreenCapture::Error>(&filter)) {
            self->applyCapture(d.id, p, *error);
            return;
        }
        self->measure(d, p, std::get<ScreenCapture::Filter>(filter), showLoupe, options,
                      [weak, id = d.id, p](CaptureResult<LiveMeasurement::Result> result) {
                          if (auto model = weak.lock()) {
                              model->applyCapture(id, p, result);
                          }
                      });
    });
}

void Mensor::applyCapture(std::uint32_t displayId, Point p,
                          const CaptureResult<LiveMeasurement::Result>& result) {
    if (const auto* success = std::get_if<LiveMeasurement::Result>(&result)) {
        if (*snapping_) {
            live_.set(success->cross);
            loupe_.set(success->loupe);
            captureProblem_.set(std::nullopt);
        }
    } else {
        // The display's filter may be what failed: the next capture asks for a fresh one,
        // even when snapping went off meanwhile.
        filters_.erase(displayId);
        if (*snapping_) {
            live_.set(std::nullopt);
            loupe_.set(std::nullopt);
            captureProblem_.set(ports_.permission.preflight()
                                    ? "Can’t read this part of the screen"
                                    : "Allow Screen Recording in System Settings to snap to edges");
        }
    }
    capturing_ = false;
    lastCapture_ = ports_.clock.now();
    lastCapturePointer_ = p;
}

void Mensor::cachedFilter(std::uint32_t displayId,
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

void Mensor::measure(const ScreenInfo& on, Point pointer, const ScreenCapture::Filter& filter,
                     bool showLoupe, const EdgeOptions& options,
                     std::function<void(CaptureResult<LiveMeasurement::Result>)> done) {
    LiveMeasurement::measure(ports_.capture, on, pointer, filter, showLoupe, options,
                             std::move(done));
}

} // namespace spanlet
