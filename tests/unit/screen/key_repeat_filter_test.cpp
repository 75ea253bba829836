#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

#include <spanlet/screen/KeyRepeatFilter.hpp>

namespace spanlet {
namespace {

struct KeyEvent {
    bool press;
    std::uint8_t keycode;
    std::uint32_t time;
};

KeyEvent down(std::uint8_t keycode, std::uint32_t time) {
    return {true, keycode, time};
}
KeyEvent up(std::uint8_t keycode, std::uint32_t time) {
    return {false, keycode, time};
}

/// The filter's answer to each event: a fresh press, or a release of a key that was down.
std::vector<bool> answers(const std::vector<KeyEvent>& events) {
    KeyRepeatFilter filter;
    std::vector<bool> out;
    for (const KeyEvent& e : events) {
        out.push_back(e.press ? filter.press(e.keycode, e.time)
                              : filter.release(e.keycode, e.time));
    }
    return out;
}

TEST(KeyRepeatFilterTest, CountsEachPhysicalPressOnce) {
    using V = std::vector<bool>;
    EXPECT_EQ(answers({down(27, 10), up(27, 90), down(27, 200), up(27, 260)}), V(4, true));
    // Auto-repeat as presses without release, and as release and press at the same time.
    EXPECT_EQ(answers({down(27, 10), down(27, 670), down(27, 710), up(27, 800)}),
              (V{true, false, false, true}));
    EXPECT_EQ(answers({down(27, 10), up(27, 670), down(27, 670), up(27, 710), down(27, 710)}),
              (V{true, true, false, true, false}));
    // The same time counts only for the key just released, right after its release.
    EXPECT_EQ(answers({down(27, 10), up(27, 50), down(39, 50)}), V(3, true));
    EXPECT_EQ(answers({down(27, 10), up(27, 50), down(39, 60), up(39, 70), down(27, 50)}),
              V(5, true));
    EXPECT_EQ(answers({down(27, 10), down(39, 20), down(27, 700), up(39, 720), up(27, 730)}),
              (V{true, true, false, true, true}))
        << "two keys held together";
    EXPECT_EQ(answers({up(27, 10)}), V{false}) << "release of a key never pressed";
}

TEST(KeyRepeatFilterTest, ResetForgetsHeldKeys) {
    KeyRepeatFilter filter;
    EXPECT_TRUE(filter.press(27, 10));
    filter.reset();
    EXPECT_FALSE(filter.release(27, 20));
    EXPECT_TRUE(filter.press(27, 30));
}

} // namespace
} // namespace spanlet
