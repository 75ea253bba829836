#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_set>

#include <spanlet/Guides.hpp>
#include <spanlet/Snap.hpp>

namespace spanlet {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kMax = std::numeric_limits<double>::max();
const DisplayScale kOne = DisplayScale::standard;
const DisplayScale kTwo = DisplayScale::retina;

Guide guide(Axis axis, double position) {
    return Guide{Uuid::random(), axis, position};
}

std::vector<double> positions(const std::vector<Guide>& guides) {
    std::vector<double> result;
    for (const auto& g : guides) {
        result.push_back(g.position);
    }
    return result;
}

TEST(GuideSetTest, AddAndMoveRoundToThePixelGrid) {
    const struct {
        double scale, at, stored;
    } rows[] = {
        {2, 100.3, 100.5},
        {2, 10.25, 10.5}, // half a pixel rounds away from zero
        {1, -2.5, -3},
        {2, 1e308, 1e308}, // scaling overflows; the value is a whole number already
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.at);
        GuideSet set;
        const Guide added = set.add(Axis::vertical, row.at, DisplayScale(row.scale));
        EXPECT_EQ(added.position, row.stored);
        ASSERT_EQ(set.guides, std::vector<Guide>{added});
        set.move(added.id, row.at + 1, DisplayScale(row.scale));
        set.move(added.id, row.at, DisplayScale(row.scale));
        EXPECT_EQ(set.guides[0].position, row.stored);
    }
}

TEST(GuideSetTest, AddKeepsOneGuidePerPlaceAndAxis) {
    GuideSet set;
    const Guide first = set.add(Axis::vertical, 100.3, kTwo);
    EXPECT_EQ(set.add(Axis::vertical, 100.4, kTwo), first);
    EXPECT_NE(set.add(Axis::horizontal, 100.4, kTwo).id, first.id);
    EXPECT_EQ(set.add(Axis::vertical, 100.3, DisplayScale(10)).position, 100.3); // finer grid
    EXPECT_EQ(positions(set.guides), (std::vector<double>{100.5, 100.5, 100.3}));
}

TEST(GuideSetTest, MoveNudgeAndUnknownIds) {
    GuideSet set;
    const Guide a = set.add(Axis::vertical, 10, kOne);
    const Guide b = set.add(Axis::vertical, 20, kOne);
    set.move(b.id, 10.26, kOne); // no duplicate check on move
    EXPECT_EQ(positions(set.guides), (std::vector<double>{10, 10}));
    set.nudge(b.id, 0.5, kTwo);
    set.nudge(b.id, -10, kTwo);
    EXPECT_EQ(positions(set.guides), (std::vector<double>{10, 0.5}));

    const GuideSet before = set;
    set.move(Uuid::random(), 50, kOne);
    set.nudge(Uuid::random(), 5, kOne);
    set.remove(Uuid::random());
    EXPECT_EQ(set, before);
    EXPECT_EQ(set.find(Uuid::random()), nullptr);
    EXPECT_EQ(set.find(a.id), &set.guides[0]);
}

TEST(GuideSetTest, NonFinitePositionsAreNeverStored) {
    GuideSet set;
    const Guide g = set.add(Axis::horizontal, 40, kOne);
    const Guide ghost = set.add(Axis::horizontal, kNaN, kOne);
    EXPECT_EQ(set.add(Axis::vertical, kInf, kOne).axis, Axis::vertical);
    EXPECT_EQ(set.count(), 1);
    EXPECT_EQ(set.find(ghost.id), nullptr);

    set.move(g.id, -kInf, kOne);
    set.move(g.id, kNaN, kOne);
    set.nudge(g.id, kNaN, kOne);
    set.move(g.id, kMax, kOne);
    set.nudge(g.id, kMax, kOne); // overflows
    EXPECT_EQ(set.find(g.id)->position, kMax);
}

TEST(GuideSetTest, LookupAndRemovalWithRepeatedIds) {
    // A hand-edited file may repeat an id: lookup and move take the first, remove takes all.
    const Uuid id = Uuid::random();
    const Guide other = guide(Axis::vertical, 5);
    GuideSet set{{Guide{id, Axis::vertical, 1}, other, Guide{id, Axis::horizontal, 2}}};
    EXPECT_EQ(set.find(id)->position, 1);
    set.move(id, 3, kOne);
    EXPECT_EQ(positions(set.guides), (std::vector<double>{3, 5, 2}));
    EXPECT_EQ(set.position(id), (GuideSet::Place{1, 3}));
    set.remove(id);
    EXPECT_EQ(set.guides, std::vector<Guide>{other});
}

TEST(GuideSetTest, SortedAndGapsAreStableAndTotalEvenWithNaN) {
    const Guide a = guide(Axis::vertical, 200);
    const Guide h = guide(Axis::horizontal, 150);
    GuideSet set{{a, h, guide(Axis::vertical, 100), guide(Axis::vertical, 200),
                  guide(Axis::vertical, 300), guide(Axis::vertical, 300.0005)}};
    EXPECT_EQ(positions(set.sorted(Axis::vertical)),
              (std::vector<double>{100, 200, 200, 300, 300.0005}));
    EXPECT_EQ(set.sorted(Axis::vertical)[1], a); // equal positions keep their set order
    EXPECT_EQ(set.sorted(Axis::horizontal), std::vector<Guide>{h});
    // Coincident guides, and guides no more than 0.001 apart, make no gap.
    EXPECT_EQ(set.gaps(Axis::vertical),
              (std::vector<Gap>{{Axis::vertical, 100, 200}, {Axis::vertical, 200, 300}}));
    EXPECT_TRUE(set.gaps(Axis::horizontal).empty());

    // Built in code, not decoded: NaN sorts last and the order stays well defined.
    GuideSet odd;
    for (double p : {kNaN, 3.0, -kInf, kNaN, 1.0, kInf, -0.0, 0.0}) {
        odd.guides.push_back(guide(Axis::vertical, p));
    }
    std::vector<std::size_t> order; // indices into odd.guides, in sorted order
    for (const Guide& g : odd.sorted(Axis::vertical)) {
        const auto same = [&](const Guide& o) { return o.id == g.id; };
        order.push_back(static_cast<std::size_t>(
            std::find_if(odd.guides.begin(), odd.guides.end(), same) - odd.guides.begin()));
    }
    EXPECT_EQ(order, (std::vector<std::size_t>{2, 6, 7, 4, 1, 5, 0, 3}));
    for (const Gap& gap : odd.gaps(Axis::vertical)) {
        EXPECT_GT(gap.to, gap.from);
    }
}

TEST(GuideSetTest, HitFindsTheNearestWithinTolerance) {
    // Two vertical guides 4 apart (the later one further left) and one horizontal guide.
    const GuideSet set{
        {guide(Axis::vertical, 54), guide(Axis::vertical, 50), guide(Axis::horizontal, 10)}};
    EXPECT_EQ(set.hit(49, 0, 3), set.guides[1]); // the horizontal guide is 10 away
    EXPECT_EQ(set.hit(47.9, 0, 2), std::nullopt);
    EXPECT_EQ(set.hit(47, 0, 3), set.guides[1]); // tolerance is inclusive
    EXPECT_EQ(set.hit(45, 9, 6), set.guides[2]);
    EXPECT_EQ(set.hit(52, 100, 3), set.guides[0]); // tie: the earliest in the set
    EXPECT_EQ(set.hit(50, 10, -1), std::nullopt);
    EXPECT_EQ(set.hit(kNaN, kNaN, 100), std::nullopt);
}

TEST(GuideSetTest, KeyboardOrderPlacesAndWrappingNext) {
    const Guide v300 = guide(Axis::vertical, 300);
    const Guide h20 = guide(Axis::horizontal, 20);
    const Guide v100 = guide(Axis::vertical, 100);
    const Guide h10 = guide(Axis::horizontal, 10);
    const GuideSet set{{v300, h20, v100, h10}};
    EXPECT_EQ(set.keyboardOrder(), (std::vector<Guide>{v100, v300, h10, h20}));
    EXPECT_EQ(set.position(v100.id), (GuideSet::Place{1, 4}));
    EXPECT_EQ(set.position(h20.id), (GuideSet::Place{4, 4}));
    EXPECT_EQ(set.position(Uuid::random()), std::nullopt);

    EXPECT_EQ(set.next(std::nullopt, true), v100);
    EXPECT_EQ(set.next(Uuid::random(), false), h20);
    EXPECT_EQ(set.next(v300.id, true), h10);
    EXPECT_EQ(set.next(h20.id, true), v100);
    EXPECT_EQ(set.next(v100.id, false), h20);
    EXPECT_EQ(GuideSet{}.next(std::nullopt, true), std::nullopt);
    EXPECT_EQ(GuideSet{{h10}}.next(h10.id, false), h10);
    // Without horizontal guides, backward from nothing is the last vertical guide.
    EXPECT_EQ((GuideSet{{v300, v100}}.next(std::nullopt, false)), v300);
}

TEST(GuideSetTest, HashFollowsEquality) {
    const Guide g = guide(Axis::vertical, 0.0);
    const Guide negativeZero{g.id, g.axis, -0.0};
    EXPECT_EQ(g, negativeZero);
    EXPECT_EQ(std::hash<Guide>{}(g), std::hash<Guide>{}(negativeZero));
    EXPECT_EQ((std::unordered_set<Guide>{g, guide(Axis::vertical, 0.0)}.size()), 2U);
}

TEST(GuideJsonTest, RoundTripAndStoredForm) {
    const GuideSet set{{guide(Axis::vertical, 100.5), guide(Axis::horizontal, -3.25),
                        guide(Axis::horizontal, 1e300), guide(Axis::vertical, 0.1)}};
    EXPECT_EQ(decode<GuideSet>(std::string_view(encode(set))), set);
    EXPECT_EQ(decode<GuideSet>(std::string_view(R"({"guides":[]})")), GuideSet{});

    // The stored form: ids upper case, whole positions as floating-point numbers.
    const std::string text =
        R"({"axis":"horizontal","id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","position":7.0})";
    const auto g = decode<Guide>(std::string_view(text));
    ASSERT_TRUE(g.has_value());
    EXPECT_EQ(std::tuple(g->axis, g->position), std::tuple(Axis::horizontal, 7.0));
    EXPECT_EQ(encode(*g), text);
}

TEST(GuideJsonTest, RejectsBrokenGuidesAndSets) {
    const std::string id = R"("id":"6ba7b810-9dad-11d1-80b4-00c04fd430c8",)";
    for (const std::string& text : {
             std::string(R"({"axis":"vertical","position":1})"),
             "{" + id + R"("axis":"vertical"})",
             "{" + id + R"("axis":"Vertical","position":1})",
             "{" + id + R"("axis":"vertical","position":"1"})",
             "{" + id + R"("axis":"vertical","position":1e400})", // parses as infinity
             std::string(R"({"id":"nope","axis":"vertical","position":1})"),
             std::string("[1,2,3]"),
         }) {
        EXPECT_EQ(decode<Guide>(std::string_view(text)), std::nullopt) << text;
        const std::string inSet = R"({"guides":[)" + text + "]}";
        EXPECT_EQ(decode<GuideSet>(std::string_view(inSet)), std::nullopt) << text;
    }
    for (const char* text : {"{}", R"({"guides":{}})", R"({"guides":null})", "[]"}) {
        EXPECT_EQ(decode<GuideSet>(std::string_view(text)), std::nullopt) << text;
    }
}

TEST(SnapTest, PullsOntoTheNearestCandidateWithinTheLimit) {
    using V = std::vector<double>;
    EXPECT_EQ(Snap::position(103, V{100, 110}, 8), 100);
    EXPECT_EQ(Snap::position(105, V{100, 110}, 8), 100); // tie: the first candidate
    EXPECT_EQ(Snap::position(105, V{110, 100}, 8), 110);
    EXPECT_EQ(Snap::position(120, V{100, 110}, 8), 120);
    EXPECT_EQ(Snap::position(118, V{100, 110}, 8), 110); // the limit is inclusive
    EXPECT_EQ(Snap::position(118.01, V{100, 110}, 8), 118.01);
    EXPECT_EQ(Snap::position(109, V{100, 110, 95}, 8), 110);
    EXPECT_EQ(Snap::position(42.5, V{}, 8), 42.5);
    EXPECT_EQ(Snap::position(7, V{7.5}, -1), 7);
    EXPECT_EQ(Snap::position(10, V{kNaN, 12}, 4), 12);
    EXPECT_EQ(Snap::position(10, V{kNaN}, 4), 10);
    EXPECT_TRUE(std::isnan(Snap::position(kNaN, V{0, 1}, 1e9)));
}

} // namespace
} // namespace spanlet
