#include <spanlet/model/PeriodicTask.hpp>

namespace spanlet {

struct PeriodicTask::State {
    Clock* clock = nullptr;
    Clock::Duration period{};
    std::function<void()> work;
    TimerHandle next;
    bool cancelled = false;

    static void run(const std::shared_ptr<State>& self) {
        if (self->cancelled) {
            return;
        }
        self->work();
        if (self->cancelled) {
            return;
        }
        // The sleep starts when the run ends, as a loop with a sleep at its end would.
        self->next = self->clock->schedule(self->period, [self] { run(self); });
    }
};

PeriodicTask PeriodicTask::start(Clock& clock, Clock::Duration period, std::function<void()> work) {
    auto state = std::make_shared<State>();
    state->clock = &clock;
    state->period = period;
    state->work = std::move(work);
    state->next = clock.schedule(Clock::Duration::zero(), [state] { State::run(state); });
    return PeriodicTask(state);
}

void PeriodicTask::cancel() const noexcept {
    if (state_) {
        state_->cancelled = true;
        state_->next.cancel();
    }
}

bool PeriodicTask::isRunning() const noexcept {
    return state_ && !state_->cancelled;
}

} // namespace spanlet
