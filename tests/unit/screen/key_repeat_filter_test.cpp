#include <cstdint>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
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

struct RepeatCase {
    const char* name;
    std::vector<KeyEvent> events;
    /// The answer to each event: a fresh press, or a release of a key that was down.
    std::vector<bool> answers;
};

void PrintTo(const RepeatCase& c, std::ostream* os) {
    *os << c.name;
}

class KeyRepeatFilterTest : public ::testing::TestWithParam<RepeatCase> {};

TEST_P(KeyRepeatFilterTest, CountsEachPhysicalPressOnce) {
    KeyRepeatFilter filter;
    std::vector<bool> answers;
    for (const KeyEvent& e : GetParam().events) {
        answers.push_back(e.press ? filter.press(e.keycode, e.time)
                                  : filter.release(e.keycode, e.time));
    }
    EXPECT_EQ(answers, GetParam().answers);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeyRepeatFilterTest,
    ::testing::Values(RepeatCase{"two_taps_are_two_presses",
                                 {down(27, 10), up(27, 90), down(27, 200), up(27, 260)},
                                 {true, true, true, true}},
                      RepeatCase{"detectable_repeat_presses_without_release",
                                 {down(27, 10), down(27, 670), down(27, 710), up(27, 800)},
                                 {true, false, false, true}},
                      RepeatCase{"repeat_as_release_and_press_at_the_same_time",
                                 {down(27, 10), up(27, 670), down(27, 670), up(27, 710),
                                  down(27, 710), up(27, 800)},
                                 {true, true, false, true, false, true}},
                      RepeatCase{"press_right_after_release_of_another_key_is_fresh",
                                 {down(27, 10), up(27, 50), down(39, 50)},
                                 {true, true, true}},
                      RepeatCase{"same_time_matters_only_right_after_the_release",
                                 {down(27, 10), up(27, 50), down(39, 60), up(39, 70), down(27, 50)},
                                 {true, true, true, true, true}},
                      RepeatCase{"release_of_a_key_never_pressed", {up(27, 10)}, {false}},
                      RepeatCase{
                          "two_keys_held_together",
                          {down(27, 10), down(39, 20), down(27, 700), up(39, 720), up(27, 730)},
                          {true, true, false, true, true}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(KeyRepeatFilterReset, ForgetsHeldKeys) {
    KeyRepeatFilter filter;
    EXPECT_TRUE(filter.press(27, 10));
    filter.reset();
    EXPECT_FALSE(filter.release(27, 20));
    EXPECT_TRUE(filter.press(27, 30));
}

} // namespace
} // namespace spanlet
