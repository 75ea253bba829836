#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <spanlet/model/PeriodicTask.hpp>

#include "fakes/VirtualClock.hpp"

namespace spanlet::testing {
namespace {

using namespace std::chrono_literals;

TEST(VirtualClockTest, RunsDueWorkInTimeOrderWithNowAtItsDueTime) {
    fakes::VirtualClock clock;
    const Clock::Instant start = clock.now();
    std::vector<std::string> ran;
    clock.schedule(30ms, [&] { ran.push_back("30"); });
    clock.schedule(10ms, [&] {
        ran.push_back("10");
        EXPECT_EQ(clock.now() - start, 10ms);
        // Work scheduled by work runs in the same advance when it falls due.
        clock.schedule(5ms, [&] { ran.push_back("15"); });
        clock.schedule(0ms, [&] { ran.push_back("10 again"); });
    });
    clock.schedule(10ms, [&] { ran.push_back("10 second"); });
    clock.advance(29ms);
    EXPECT_EQ(ran, (std::vector<std::string>{"10", "10 second", "10 again", "15"}));
    EXPECT_EQ(clock.now() - start, 29ms);
    clock.advance(1ms);
    EXPECT_EQ(ran.back(), "30");
}

TEST(VirtualClockTest, CancelledWorkNeverRuns) {
    fakes::VirtualClock clock;
    bool ran = false;
    const TimerHandle handle = clock.schedule(1ms, [&] { ran = true; });
    EXPECT_EQ(clock.pending(), 1U);
    handle.cancel();
    handle.cancel();
    EXPECT_EQ(clock.pending(), 0U);
    clock.advance(1s);
    EXPECT_FALSE(ran);
}

TEST(VirtualClockTest, ZeroDelayWaitsForTheNextTurn) {
    fakes::VirtualClock clock;
    bool ran = false;
    clock.schedule(0ms, [&] { ran = true; });
    EXPECT_FALSE(ran);
    clock.runDue();
    EXPECT_TRUE(ran);
}

TEST(PeriodicTaskTest, RunsSoonThenEveryPeriodUntilCancelled) {
    fakes::VirtualClock clock;
    int runs = 0;
    const PeriodicTask task = PeriodicTask::start(clock, 16ms, [&] { ++runs; });
    EXPECT_EQ(runs, 0);
    clock.runDue();
    EXPECT_EQ(runs, 1);
    clock.advance(160ms);
    EXPECT_EQ(runs, 11);
    task.cancel();
    EXPECT_FALSE(task.isRunning());
    clock.advance(1s);
    EXPECT_EQ(runs, 11);
    EXPECT_EQ(clock.pending(), 0U);
}

TEST(PeriodicTaskTest, WorkMayCancelItsOwnTask) {
    fakes::VirtualClock clock;
    int runs = 0;
    PeriodicTask task;
    task = PeriodicTask::start(clock, 16ms, [&] {
        if (++runs == 3) {
            task.cancel();
        }
    });
    clock.advance(1s);
    EXPECT_EQ(runs, 3);
}

} // namespace
} // namespace spanlet::testing
