#include "fakes/VirtualClock.hpp"

#include <algorithm>

namespace spanlet::fakes {

TimerHandle VirtualClock::schedule(Duration delay, std::function<void()> work) {
    note(log, "clock.schedule");
    TimerHandle handle = TimerHandle::make();
    const Instant due = now_ + std::max(delay, Duration::zero());
    queue_.emplace(Key{due, sequence_++}, Entry{handle, std::move(work)});
    return handle;
}

void VirtualClock::advance(Duration by) {
    const Instant target = now_ + std::max(by, Duration::zero());
    while (!queue_.empty() && queue_.begin()->first.first <= target) {
        auto node = queue_.extract(queue_.begin());
        now_ = std::max(now_, node.key().first);
        if (!node.mapped().handle.isCancelled()) {
            node.mapped().handle.cancel(); // ran: the handle no longer refers to pending work
            node.mapped().work();
        }
    }
    now_ = target;
}

std::size_t VirtualClock::pending() const {
    return static_cast<std::size_t>(std::count_if(queue_.begin(), queue_.end(), [](const auto& e) {
        return !e.second.handle.isCancelled();
    }));
}

} // namespace spanlet::fakes
