#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

#include <spanlet/model/Clock.hpp>

#include "fakes/CallLog.hpp"

namespace spanlet::fakes {

/// A clock that only moves when the test advances it. Scheduled work runs in time order
/// (same time: in the order it was scheduled) during advance(), with now() set to the time the
/// work was due, including work that running work schedules.
class VirtualClock : public Clock {
public:
    [[nodiscard]] Instant now() const override { return now_; }
    TimerHandle schedule(Duration delay, std::function<void()> work) override;

    /// Moves time forward by `by`, running everything that falls due on the way.
    void advance(Duration by);
    /// Runs the work that is due now without moving time.
    void runDue() { advance(Duration::zero()); }

    /// Work scheduled and not cancelled yet.
    [[nodiscard]] std::size_t pending() const;

    /// Adds "clock.schedule" on every schedule() call.
    CallLog* log = nullptr;

private:
    struct Entry {
        TimerHandle handle;
        std::function<void()> work;
    };
    using Key = std::pair<Instant, std::uint64_t>;

    Instant now_ = Instant{} + std::chrono::hours(24);
    std::uint64_t sequence_ = 0;
    std::map<Key, Entry> queue_;
};

} // namespace spanlet::fakes
