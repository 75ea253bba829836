#include <gtest/gtest.h>
#include <limits>

#include <spanlet/model/PreferenceLimits.hpp>

namespace spanlet {
namespace {

// Tolerance and ruler origin limits are checked through the model (tracking and ruler tests).
TEST(PreferenceLimitsTest, RulerLengthIsClampedToTheLongestDisplaySide) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    struct Row {
        const char* name;
        double stored, longestSide, usable;
    };
    for (const Row& r :
         {Row{"in_range_kept_unrounded", 300.5, 2560, 300.5},
          Row{"short_raised_to_80", 50, 2560, 80}, Row{"huge_cut_to_display", 1e300, 2560, 2560},
          Row{"nan_gives_default", kNaN, 2560, 600},
          Row{"default_cut_by_small_display", kNaN, 500, 500},
          Row{"tiny_display_still_80", 300, 60, 80}, Row{"no_display", 10000, 0, 2000},
          Row{"infinite_display_side", 1e300, std::numeric_limits<double>::infinity(), 2000}}) {
        EXPECT_EQ(PreferenceLimits::usableRulerLength(r.stored, r.longestSide), r.usable) << r.name;
    }
}

} // namespace
} // namespace spanlet
