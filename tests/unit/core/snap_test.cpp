#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

#include <spanlet/Snap.hpp>

namespace spanlet {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct SnapCase {
    const char* name;
    double value;
    std::vector<double> candidates;
    double within;
    double expected;
};

class SnapTest : public ::testing::TestWithParam<SnapCase> {};

TEST_P(SnapTest, PullsOntoTheNearestCandidate) {
    const auto& c = GetParam();
    EXPECT_EQ(Snap::position(c.value, c.candidates, c.within), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SnapTest,
    ::testing::Values(SnapCase{"nearest_within", 103, {100, 110}, 8, 100},
                      SnapCase{"tie_first_candidate", 105, {100, 110}, 8, 100},
                      SnapCase{"tie_first_candidate_reversed", 105, {110, 100}, 8, 110},
                      SnapCase{"too_far", 120, {100, 110}, 8, 120},
                      SnapCase{"limit_is_inclusive", 118, {100, 110}, 8, 110},
                      SnapCase{"just_past_limit", 118.01, {100, 110}, 8, 118.01},
                      SnapCase{"nearest_later_in_list", 109, {100, 110, 95}, 8, 110},
                      SnapCase{"no_candidates", 42.5, {}, 8, 42.5},
                      SnapCase{"zero_limit_exact", 7, {7}, 0, 7},
                      SnapCase{"negative_limit", 7, {7.5}, -1, 7},
                      SnapCase{"nan_candidate_skipped", 10, {kNaN, 12}, 4, 12},
                      SnapCase{"only_nan_candidate", 10, {kNaN}, 4, 10}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(SnapTest, NaNValueStaysNaN) {
    const std::vector<double> candidates{0, 1};
    EXPECT_TRUE(std::isnan(Snap::position(kNaN, candidates, 1e9)));
}

} // namespace
} // namespace spanlet
