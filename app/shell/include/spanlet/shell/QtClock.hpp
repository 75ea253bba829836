#pragma once

#include <cstdint>

#include <spanlet/model/Clock.hpp>

class QObject;

namespace spanlet {

/// The steady clock, and one-shot timers on the Qt event loop of the main thread. Short delays
/// use precise timers; longer ones may be coalesced by the system, and so fire a little early.
class QtClock final : public Clock {
public:
    /// Delays below this use Qt::PreciseTimer.
    static constexpr std::chrono::milliseconds preciseBelow{100};

    /// Timers live as long as `context` (default: the application object).
    explicit QtClock(QObject* context = nullptr);

    [[nodiscard]] Instant now() const override { return std::chrono::steady_clock::now(); }
    TimerHandle schedule(Duration delay, std::function<void()> work) override;

    /// How many scheduled timers woke the event loop, cancelled ones included.
    [[nodiscard]] std::int64_t wakeUps() const noexcept { return *wakeUps_; }
    /// How many of them ran their work.
    [[nodiscard]] std::int64_t fired() const noexcept { return *fired_; }

private:
    QObject* context_;
    std::shared_ptr<std::int64_t> wakeUps_ = std::make_shared<std::int64_t>(0);
    std::shared_ptr<std::int64_t> fired_ = std::make_shared<std::int64_t>(0);
};

} // namespace spanlet
