#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

#include <spanlet/x11/KeyRepeatFilter.hpp>

namespace spanlet {
namespace {

/// The filter's answer to each event (keycode, time; negative time: release): a fresh
/// press, or a release of a key that was down.
std::vector<bool> answers(const std::vector<std::pair<std::uint8_t, int>>& events) {
    KeyRepeatFilter filter;
    std::vector<bool> out;
    for (const auto& [key, time] : events) {
        const auto t = static_cast<std::uint32_t>(std::abs(time));
        out.push_back(time >= 0 ? filter.press(key, t) : filter.release(key, t));
    }
    return out;
}

TEST(KeyRepeatFilterTest, CountsEachPhysicalPressOnce) {
    using V = std::vector<bool>;
    // Auto-repeat as presses without release, and as release and press at the same time.
    EXPECT_EQ(answers({{27, 10}, {27, 670}, {27, -800}}), (V{true, false, true}));
    EXPECT_EQ(answers({{27, 10}, {27, -670}, {27, 670}, {27, -710}}), (V{true, true, false, true}));
    // The same time counts only for the key just released.
    EXPECT_EQ(answers({{27, 10}, {27, -50}, {39, 50}}), V(3, true));
    EXPECT_EQ(answers({{27, -10}}), V{false}) << "release of a key never pressed";

    KeyRepeatFilter filter;
    EXPECT_TRUE(filter.press(27, 10));
    filter.reset();
    EXPECT_FALSE(filter.release(27, 20)) << "reset forgets held keys";
}

} // namespace
} // namespace spanlet
