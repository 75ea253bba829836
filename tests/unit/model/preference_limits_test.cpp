#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <spanlet/model/PreferenceLimits.hpp>

namespace spanlet {
namespace {

namespace limits = PreferenceLimits;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kHuge = 1e300;

struct ToleranceCase {
    const char* name;
    double stored;
    double usable;
};

class UsableToleranceTest : public ::testing::TestWithParam<ToleranceCase> {};

TEST_P(UsableToleranceTest, Clamps) {
    EXPECT_EQ(limits::usableTolerance(GetParam().stored), GetParam().usable);
}

INSTANTIATE_TEST_SUITE_P(Cases, UsableToleranceTest,
                         ::testing::Values(ToleranceCase{"in_range", 0.3, 0.3},
                                           ToleranceCase{"negative", -1, 0},
                                           ToleranceCase{"above_one", 5, 1},
                                           ToleranceCase{"infinite", kInf, 1},
                                           ToleranceCase{"nan_gives_default", kNaN, 0.1}),
                         [](const auto& row) { return std::string(row.param.name); });

struct LengthCase {
    const char* name;
    double stored;
    double longestSide;
    double usable;
};

class UsableRulerLengthTest : public ::testing::TestWithParam<LengthCase> {};

TEST_P(UsableRulerLengthTest, Clamps) {
    const auto& c = GetParam();
    EXPECT_EQ(limits::usableRulerLength(c.stored, c.longestSide), c.usable);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UsableRulerLengthTest,
    ::testing::Values(LengthCase{"in_range_kept_unrounded", 300.5, 2560, 300.5},
                      LengthCase{"short_raised_to_80", 50, 2560, 80},

                      LengthCase{"huge_cut_to_display", kHuge, 2560, 2560},
                      LengthCase{"nan_gives_default", kNaN, 2560, 600},

                      LengthCase{"default_cut_by_small_display", kNaN, 500, 500},
                      LengthCase{"tiny_display_still_80", 300, 60, 80},
                      LengthCase{"no_display", 10000, 0, 2000},

                      LengthCase{"infinite_display_side", kHuge, kInf, 2000}),
    [](const auto& row) { return std::string(row.param.name); });

struct OriginCase {
    const char* name;
    std::optional<double> x;
    std::optional<double> y;
    std::optional<Point> usable;
};

class UsableRulerOriginTest : public ::testing::TestWithParam<OriginCase> {};

TEST_P(UsableRulerOriginTest, NeedsBothUsable) {
    const auto& c = GetParam();
    EXPECT_EQ(limits::usableRulerOrigin(c.x, c.y), c.usable);
}

INSTANTIATE_TEST_SUITE_P(Cases, UsableRulerOriginTest,
                         ::testing::Values(OriginCase{"both", 10, -20.5, Point{10, -20.5}},
                                           OriginCase{"at_limit", -1e6, 1e6, Point{-1e6, 1e6}},
                                           OriginCase{"x_absent", std::nullopt, 5, std::nullopt},

                                           OriginCase{"nan", kNaN, 5, std::nullopt},
                                           OriginCase{"infinite", 5, -kInf, std::nullopt},

                                           OriginCase{"past_limit", 5, 1e6 + 1, std::nullopt}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(UsableGuidesTest, DropsUnusablePositionsAndKeepsOrder) {
    GuideSet set;
    const Guide a{Uuid::random(), Axis::vertical, 10};
    const Guide b{Uuid::random(), Axis::horizontal, -kHuge};
    const Guide c{Uuid::random(), Axis::horizontal, -999'999};
    const Guide d{Uuid::random(), Axis::vertical, kNaN};
    set.guides = {a, b, c, d};
    EXPECT_EQ(limits::usableGuides(set).guides, (std::vector<Guide>{a, c}));
}

} // namespace
} // namespace spanlet
