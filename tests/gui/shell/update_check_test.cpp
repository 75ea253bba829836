// The rules of the update check that need no network: the probe's outcomes, the alert texts and
// the version order.
#include <gtest/gtest.h>
#include <ostream>

#include <spanlet/shell/UpdateCheck.hpp>

namespace spanlet {
namespace {

using UpdateCheck::Outcome;

struct StatusCase {
    const char* name;
    std::optional<int> status;
    Outcome expected;
};
void PrintTo(const StatusCase& c, std::ostream* os) {
    *os << c.name;
}

class ProbeOutcome : public ::testing::TestWithParam<StatusCase> {};

TEST_P(ProbeOutcome, FollowsTheStatus) {
    EXPECT_EQ(UpdateCheck::outcome(GetParam().status), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    , ProbeOutcome,
    ::testing::Values(StatusCase{"transportError", std::nullopt, Outcome::couldNotCheck},
                      StatusCase{"ok200", 200, Outcome::proceed},

                      StatusCase{"edge299", 299, Outcome::proceed},
                      StatusCase{"redirect300", 300, Outcome::couldNotCheck},
                      StatusCase{"notFound404", 404, Outcome::upToDate},

                      StatusCase{"noHead405", 405, Outcome::proceed},

                      StatusCase{"forbidden403", 403, Outcome::couldNotCheck},
                      StatusCase{"serverError500", 500, Outcome::couldNotCheck},

                      StatusCase{"belowRange199", 199, Outcome::couldNotCheck}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(UpdateAlerts, UpToDateText) {
    EXPECT_EQ(UpdateCheck::upToDate("Spanlet", "1.4"),
              (UpdateCheck::Alert{"You’re up to date",
                                  "Spanlet 1.4 is the newest version. Spanlet checks for updates "
                                  "on its own and will let you know when there’s a new one."}));
}

TEST(UpdateAlerts, CouldNotCheckText) {
    EXPECT_EQ(UpdateCheck::couldNotCheck("Spanlet"),
              (UpdateCheck::Alert{"Couldn’t check for updates",
                                  "Check your internet connection and try again. Spanlet also "
                                  "checks on its own about once a day."}));
}

struct VersionCase {
    const char* name;
    const char* a;
    const char* b;
    int expected;
};
void PrintTo(const VersionCase& c, std::ostream* os) {
    *os << c.name;
}

class VersionOrder : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionOrder, ComparesNumerically) {
    const VersionCase& c = GetParam();
    EXPECT_EQ(UpdateCheck::compareVersions(c.a, c.b), c.expected);
    EXPECT_EQ(UpdateCheck::compareVersions(c.b, c.a), -c.expected);
}

INSTANTIATE_TEST_SUITE_P(, VersionOrder,
                         ::testing::Values(VersionCase{"trailingZero", "1.4", "1.4.0", 0},
                                           VersionCase{"tenAfterNine", "1.10", "1.9", 1},
                                           VersionCase{"major", "2.0", "1.99.9", 1},

                                           VersionCase{"suffixIgnored", "1.5beta", "1.5", 0},
                                           VersionCase{"emptyIsZero", "", "0.0", 0},
                                           VersionCase{"hugeDoesNotOverflow",
                                                       "99999999999999999999999", "1", 1}),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace spanlet
