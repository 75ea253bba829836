// The rules of the update check that need no network: the probe's outcomes, the alert texts and
// the version order.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <spanlet/shell/UpdateCheck.hpp>

namespace spanlet {
namespace {

using UpdateCheck::Outcome;

TEST(UpdateCheckTest, ProbeOutcomeFollowsTheStatus) {
    const std::pair<Outcome, std::vector<int>> groups[] = {
        {Outcome::proceed, {200, 299, 405, 501}}, // 405, 501: the server takes no HEAD
        {Outcome::upToDate, {404, 410}},
        {Outcome::couldNotCheck, {199, 300, 500}},
    };
    for (const auto& [expected, statuses] : groups) {
        for (int status : statuses) {
            EXPECT_EQ(UpdateCheck::outcome(status), expected) << status;
        }
    }
    EXPECT_EQ(UpdateCheck::outcome(std::nullopt), Outcome::couldNotCheck) << "transport error";
}

TEST(UpdateCheckTest, AlertTextsAndTheNameTheyUse) {
    EXPECT_EQ(UpdateCheck::upToDate("Spanlet", "1.4"),
              (UpdateCheck::Alert{"You’re up to date",
                                  "Spanlet 1.4 is the newest version. Spanlet checks for updates "
                                  "on its own and will let you know when there’s a new one."}));
    EXPECT_EQ(UpdateCheck::couldNotCheck("Spanlet"),
              (UpdateCheck::Alert{"Couldn’t check for updates",
                                  "Check your internet connection and try again. Spanlet also "
                                  "checks on its own about once a day."}));
    EXPECT_EQ(UpdateCheck::applicationName("Spanlet Beta", "spanlet"), "Spanlet Beta");
    EXPECT_EQ(UpdateCheck::applicationName("", "spanlet"), "spanlet");
    EXPECT_EQ(UpdateCheck::applicationName("", ""), "This app");
}

TEST(UpdateCheckTest, VersionsCompareNumerically) {
    const struct {
        const char* a;
        const char* b;
        int expected;
    } rows[] = {
        {"1.4", "1.4.0", 0},
        {"1.10", "1.9", 1},
        {"1.5beta", "1.5", 0},
        {"", "0.0", 0},
        {"99999999999999999999999", "1", 1},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.a) + " vs " + r.b);
        EXPECT_EQ(UpdateCheck::compareVersions(r.a, r.b), r.expected);
        EXPECT_EQ(UpdateCheck::compareVersions(r.b, r.a), -r.expected);
    }
}

} // namespace
} // namespace spanlet
