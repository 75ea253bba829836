// The Qt clock: work runs later, in time order, never when cancelled.
#include <gtest/gtest.h>

#include <spanlet/shell/QtClock.hpp>

#include "ShellSupport.hpp"

namespace spanlet::test {
namespace {

using namespace std::chrono_literals;

TEST(QtClockTest, RunsWorkLaterInTimeOrderAndNeverCancelledWork) {
    QtClock clock;
    std::vector<int> ran;
    clock.schedule(30ms, [&] { ran.push_back(3); });
    clock.schedule(0ms, [&] { ran.push_back(1); });
    const TimerHandle cancelled = clock.schedule(5ms, [&] { ran.push_back(0); });
    clock.schedule(16ms, [&] { ran.push_back(2); });
    cancelled.cancel();
    ASSERT_TRUE(waitUntil([&] { return ran.size() == 3; }));
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(clock.fired(), 3);
    EXPECT_EQ(clock.wakeUps(), 4) << "the cancelled one wakes, and does nothing";
}

} // namespace
} // namespace spanlet::test
