#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace spanlet {

/// Cancels work scheduled on a Clock. Copies share one flag; cancelling twice, or after the
/// work ran, is harmless. A default-made handle refers to no work and counts as cancelled.
class TimerHandle {
public:
    TimerHandle() = default;
    /// A fresh handle whose work is still to run.
    static TimerHandle make() { return TimerHandle(std::make_shared<bool>(false)); }

    void cancel() const noexcept {
        if (cancelled_) {
            *cancelled_ = true;
        }
    }
    [[nodiscard]] bool isCancelled() const noexcept { return !cancelled_ || *cancelled_; }

private:
    explicit TimerHandle(std::shared_ptr<bool> cancelled) : cancelled_(std::move(cancelled)) {}
    std::shared_ptr<bool> cancelled_;
};

/// Monotonic time and one-shot timers on the main thread.
class Clock {
public:
    using Duration = std::chrono::steady_clock::duration;
    using Instant = std::chrono::steady_clock::time_point;

    virtual ~Clock() = default;
    /// Monotonic now; never goes backwards.
    [[nodiscard]] virtual Instant now() const = 0;
    /// Runs `work` once on the main thread, `delay` from now (0: on a later turn of the event
    /// loop, never inside this call), unless the returned handle is cancelled first.
    virtual TimerHandle schedule(Duration delay, std::function<void()> work) = 0;
};

} // namespace spanlet
