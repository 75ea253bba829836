#pragma once

#include <functional>
#include <memory>

#include <spanlet/model/Clock.hpp>

namespace spanlet {

/// Work that runs on a later turn of the event loop and then again `period` after each run
/// ended, until cancelled. Copies share the same task.
class PeriodicTask {
public:
    PeriodicTask() = default;
    static PeriodicTask start(Clock& clock, Clock::Duration period, std::function<void()> work);

    /// Stops the task; a run in progress finishes, and nothing runs after it.
    void cancel() const noexcept;
    [[nodiscard]] bool isRunning() const noexcept;

private:
    struct State;
    explicit PeriodicTask(std::shared_ptr<State> state) : state_(std::move(state)) {}
    std::shared_ptr<State> state_;
};

} // namespace spanlet
