#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_set>

#include <spanlet/Guides.hpp>

namespace spanlet {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

Guide guide(Axis axis, double position) {
    return Guide{Uuid::random(), axis, position};
}

// Decoding from text; string_view picks the text overload of decode() unambiguously.
template <class T>
std::optional<T> fromText(std::string_view text) {
    return decode<T>(text);
}

std::vector<double> positions(const std::vector<Guide>& guides) {
    std::vector<double> result;
    for (const auto& g : guides) {
        result.push_back(g.position);
    }
    return result;
}

struct GridCase {
    const char* name;
    double scale;
    double at;
    double stored;
};

class GuideGridTest : public ::testing::TestWithParam<GridCase> {};

TEST_P(GuideGridTest, AddAndMoveRoundToThePixelGrid) {
    const auto& c = GetParam();
    GuideSet set;
    const Guide added = set.add(Axis::vertical, c.at, DisplayScale(c.scale));
    EXPECT_EQ(added.position, c.stored);
    ASSERT_EQ(set.count(), 1);
    EXPECT_EQ(set.guides[0], added);

    set.move(added.id, c.at, DisplayScale(c.scale));
    EXPECT_EQ(set.guides[0].position, c.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GuideGridTest,
    ::testing::Values(GridCase{"scale2_to_half_point", 2, 100.3, 100.5},
                      GridCase{"scale2_half_pixel_away_from_zero", 2, 10.25, 10.5},
                      GridCase{"scale2_down", 2, 10.2, 10.0},
                      GridCase{"scale1_negative_half_away_from_zero", 1, -2.5, -3},
                      // Scaling overflows here; the value is a whole number already.
                      GridCase{"huge_stays_finite", 2, 1e308, 1e308}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(GuideSetTest, AddKeepsOneGuidePerPlaceAndAxis) {
    GuideSet set;
    const Guide first = set.add(Axis::vertical, 100.3, DisplayScale::retina);
    EXPECT_EQ(set.add(Axis::vertical, 100.4, DisplayScale::retina), first);
    EXPECT_EQ(set.count(), 1);

    const Guide horizontal = set.add(Axis::horizontal, 100.4, DisplayScale::retina);
    EXPECT_NE(horizontal.id, first.id);
    EXPECT_EQ(set.count(), 2);

    // A finer grid makes a distinct place.
    const Guide third = set.add(Axis::vertical, 100.3, DisplayScale(10));
    EXPECT_EQ(third.position, 100.3);
    EXPECT_EQ(set.count(), 3);
    EXPECT_EQ(set.guides.back(), third);
}

TEST(GuideSetTest, MoveNudgeAndUnknownIds) {
    GuideSet set;
    const Guide a = set.add(Axis::vertical, 10, DisplayScale::standard);
    const Guide b = set.add(Axis::vertical, 20, DisplayScale::standard);

    // No duplicate check on move.
    set.move(b.id, 10.26, DisplayScale::standard);
    EXPECT_EQ(set.find(b.id)->position, 10);
    EXPECT_EQ(set.find(a.id)->position, 10);

    set.nudge(b.id, 0.5, DisplayScale::retina);
    EXPECT_EQ(set.find(b.id)->position, 10.5);
    set.nudge(b.id, -10, DisplayScale::retina);
    EXPECT_EQ(set.find(b.id)->position, 0.5);

    const GuideSet before = set;
    set.move(Uuid::random(), 50, DisplayScale::standard);
    set.nudge(Uuid::random(), 5, DisplayScale::standard);
    set.remove(Uuid::random());
    EXPECT_EQ(set, before);
    EXPECT_EQ(set.find(Uuid::random()), nullptr);
}

TEST(GuideSetTest, NonFinitePositionsAreNeverStored) {
    GuideSet set;
    const Guide g = set.add(Axis::horizontal, 40, DisplayScale::standard);
    const Guide ghost = set.add(Axis::horizontal, kNaN, DisplayScale::standard);
    EXPECT_EQ(set.add(Axis::vertical, kInf, DisplayScale::standard).axis, Axis::vertical);
    EXPECT_EQ(set.count(), 1);
    EXPECT_EQ(set.find(ghost.id), nullptr);

    set.move(g.id, -kInf, DisplayScale::standard);
    set.move(g.id, kNaN, DisplayScale::standard);
    set.nudge(g.id, kNaN, DisplayScale::standard);
    set.move(g.id, std::numeric_limits<double>::max(), DisplayScale::standard);
    set.nudge(g.id, std::numeric_limits<double>::max(), DisplayScale::standard); // overflows
    EXPECT_EQ(set.find(g.id)->position, std::numeric_limits<double>::max());
}

TEST(GuideSetTest, LookupAndRemovalWithRepeatedIds) {
    // A hand-edited file may repeat an id: lookup and move take the first, remove takes all.
    const Uuid id = Uuid::random();
    const Guide other = guide(Axis::vertical, 5);
    GuideSet set{{Guide{id, Axis::vertical, 1}, other, Guide{id, Axis::horizontal, 2}}};
    EXPECT_EQ(set.find(id)->position, 1);
    set.move(id, 3, DisplayScale::standard);
    EXPECT_EQ(positions(set.guides), (std::vector<double>{3, 5, 2}));
    EXPECT_EQ(set.position(id), (GuideSet::Place{1, 3}));

    set.remove(id);
    EXPECT_EQ(set.guides, std::vector<Guide>{other});
    set.removeAll();
    EXPECT_TRUE(set.isEmpty());
    EXPECT_EQ(set.count(), 0);
}

TEST(GuideSetTest, SortedIsStableAndTotalEvenWithNaN) {
    const Guide a = guide(Axis::vertical, 200);
    const Guide b = guide(Axis::vertical, 100);
    const Guide c = guide(Axis::vertical, 200);
    const Guide h = guide(Axis::horizontal, 0);
    const GuideSet set{{a, h, b, c}};
    EXPECT_EQ(set.sorted(Axis::vertical), (std::vector<Guide>{b, a, c}));
    EXPECT_EQ(set.sorted(Axis::horizontal), std::vector<Guide>{h});

    // Built in code, not decoded: NaN sorts last and the order stays well defined.
    GuideSet odd;
    for (double p : {kNaN, 3.0, -kInf, kNaN, 1.0, kInf, -0.0, 0.0}) {
        odd.guides.push_back(guide(Axis::vertical, p));
    }
    const auto sorted = odd.sorted(Axis::vertical);
    ASSERT_EQ(sorted.size(), 8U);
    EXPECT_EQ(sorted[0].position, -kInf);
    EXPECT_EQ(sorted[1].id, odd.guides[6].id); // -0 and +0 keep their set order
    EXPECT_EQ(sorted[2].id, odd.guides[7].id);
    EXPECT_EQ(sorted[5].position, kInf);
    EXPECT_EQ(sorted[6].id, odd.guides[0].id);
    EXPECT_EQ(sorted[7].id, odd.guides[3].id);
    for (const Gap& gap : odd.gaps(Axis::vertical)) {
        EXPECT_GT(gap.to, gap.from);
    }
}

TEST(GuideSetTest, GapsBetweenNeighbours) {
    GuideSet set{{guide(Axis::vertical, 300), guide(Axis::vertical, 100),
                  guide(Axis::vertical, 200), guide(Axis::horizontal, 150)}};
    EXPECT_EQ(set.gaps(Axis::vertical),
              (std::vector<Gap>{{Axis::vertical, 100, 200}, {Axis::vertical, 200, 300}}));
    EXPECT_TRUE(set.gaps(Axis::horizontal).empty());

    // Coincident guides, and guides no more than 0.001 apart, make no gap.
    set.guides.push_back(guide(Axis::vertical, 200));
    set.guides.push_back(guide(Axis::vertical, 300.0005));
    EXPECT_EQ(set.gaps(Axis::vertical).size(), 2U);

    const Gap gap{Axis::horizontal, 10, 25};
    EXPECT_EQ(gap.length(), 15);
    EXPECT_EQ(gap.middle(), 17.5);
}

struct HitCase {
    const char* name;
    double x;
    double y;
    double tolerance;
    int expected; // index into the set, -1 for no hit
};

class GuideHitTest : public ::testing::TestWithParam<HitCase> {};

TEST_P(GuideHitTest, FindsTheNearestWithinTolerance) {
    const auto& c = GetParam();
    // Two vertical guides 4 apart (the later one further left) and one horizontal guide.
    const GuideSet set{
        {guide(Axis::vertical, 54), guide(Axis::vertical, 50), guide(Axis::horizontal, 10)}};
    const auto hit = set.hit(c.x, c.y, c.tolerance);
    if (c.expected < 0) {
        EXPECT_EQ(hit, std::nullopt);
    } else {
        EXPECT_EQ(hit, set.guides.at(static_cast<std::size_t>(c.expected)));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, GuideHitTest,
                         ::testing::Values(HitCase{"vertical_nearer_than_horizontal", 49, 0, 3, 1},
                                           HitCase{"outside_tolerance", 47.9, 0, 2, -1},
                                           HitCase{"tolerance_is_inclusive", 47, 0, 3, 1},
                                           HitCase{"horizontal_nearer", 45, 9, 6, 2},
                                           HitCase{"tie_earliest_in_set_wins", 52, 100, 3, 0},
                                           HitCase{"negative_tolerance", 50, 10, -1, -1},
                                           HitCase{"nan_pointer", kNaN, kNaN, 100, -1}),
                         [](const auto& row) { return std::string(row.param.name); });

class KeyboardTest : public ::testing::Test {
protected:
    Guide v300 = guide(Axis::vertical, 300);
    Guide h20 = guide(Axis::horizontal, 20);
    Guide v100 = guide(Axis::vertical, 100);
    Guide h10 = guide(Axis::horizontal, 10);
    GuideSet set{{v300, h20, v100, h10}};
};

TEST_F(KeyboardTest, OrderIsVerticalsThenHorizontals) {
    EXPECT_EQ(set.keyboardOrder(), (std::vector<Guide>{v100, v300, h10, h20}));
    EXPECT_EQ(set.position(v100.id), (GuideSet::Place{1, 4}));
    EXPECT_EQ(set.position(h10.id), (GuideSet::Place{3, 4}));
    EXPECT_EQ(set.position(h20.id), (GuideSet::Place{4, 4}));
    EXPECT_EQ(set.position(Uuid::random()), std::nullopt);
}

TEST_F(KeyboardTest, NextWrapsAndStartsAtTheEnds) {
    EXPECT_EQ(set.next(std::nullopt, true), v100);
    EXPECT_EQ(set.next(std::nullopt, false), h20);
    EXPECT_EQ(set.next(Uuid::random(), true), v100);
    EXPECT_EQ(set.next(Uuid::random(), false), h20);
    EXPECT_EQ(set.next(v300.id, true), h10);
    EXPECT_EQ(set.next(h10.id, false), v300);
    EXPECT_EQ(set.next(h20.id, true), v100);
    EXPECT_EQ(set.next(v100.id, false), h20);
}

TEST(GuideSetTest, NextOnSmallSets) {
    EXPECT_EQ(GuideSet{}.next(std::nullopt, true), std::nullopt);
    EXPECT_EQ(GuideSet{}.next(Uuid::random(), false), std::nullopt);

    const Guide only = guide(Axis::horizontal, 5);
    const GuideSet single{{only}};
    EXPECT_EQ(single.next(only.id, true), only);
    EXPECT_EQ(single.next(only.id, false), only);

    // Without horizontal guides, backward from nothing is the last vertical guide.
    const Guide a = guide(Axis::vertical, 9);
    const Guide b = guide(Axis::vertical, 1);
    EXPECT_EQ((GuideSet{{a, b}}.next(std::nullopt, false)), a);
}

TEST(GuideSetTest, HashFollowsEquality) {
    const Guide g = guide(Axis::vertical, 0.0);
    Guide negativeZero = g;
    negativeZero.position = -0.0;
    EXPECT_EQ(g, negativeZero);
    EXPECT_EQ(std::hash<Guide>{}(g), std::hash<Guide>{}(negativeZero));
    std::unordered_set<Guide> guides{g, guide(Axis::vertical, 0.0)};
    EXPECT_EQ(guides.size(), 2U);
}

TEST(GuideJsonTest, RoundTrip) {
    const GuideSet set{{guide(Axis::vertical, 100.5), guide(Axis::horizontal, -3.25),
                        guide(Axis::horizontal, 1e300), guide(Axis::vertical, 0.1)}};
    EXPECT_EQ(fromText<GuideSet>(encode(set)), set);
    EXPECT_EQ(fromText<GuideSet>(encode(GuideSet{})), GuideSet{});

    const Json j = set.guides[0];
    EXPECT_EQ(j.size(), 3U);
    EXPECT_EQ(j.at("axis"), "vertical");
    EXPECT_EQ(j.at("id"), set.guides[0].id.string());
    EXPECT_EQ(j.at("position"), 100.5);
    EXPECT_EQ(Json(set).size(), 1U);
}

TEST(GuideJsonTest, DecodesTheStoredForm) {
    const auto g = fromText<Guide>(
        R"({"id":"6ba7b810-9dad-11d1-80b4-00c04fd430c8","axis":"horizontal","position":7})");
    ASSERT_TRUE(g.has_value());
    EXPECT_EQ(g->id.string(), "6BA7B810-9DAD-11D1-80B4-00C04FD430C8");
    EXPECT_EQ(g->axis, Axis::horizontal);
    EXPECT_EQ(g->position, 7);
}

struct RejectCase {
    const char* name;
    const char* text;
};

class GuideJsonRejectTest : public ::testing::TestWithParam<RejectCase> {};

TEST_P(GuideJsonRejectTest, DecodesToNothing) {
    const std::string guideText = GetParam().text;
    EXPECT_EQ(fromText<Guide>(guideText), std::nullopt);
    EXPECT_EQ(fromText<GuideSet>(R"({"guides":[)" + guideText + "]}"), std::nullopt);
}

#define SPANLET_ID R"("id":"6ba7b810-9dad-11d1-80b4-00c04fd430c8")"

INSTANTIATE_TEST_SUITE_P(
    Cases, GuideJsonRejectTest,
    ::testing::Values(
        RejectCase{"missing_id", R"({"axis":"vertical","position":1})"},

        RejectCase{"missing_position", "{" SPANLET_ID R"(,"axis":"vertical"})"},
        RejectCase{"capitalised_axis", "{" SPANLET_ID R"(,"axis":"Vertical","position":1})"},

        RejectCase{"position_string", "{" SPANLET_ID R"(,"axis":"vertical","position":"1"})"},

        RejectCase{"position_overflows", "{" SPANLET_ID R"(,"axis":"vertical","position":1e400})"},
        RejectCase{"bad_uuid", R"({"id":"nope","axis":"vertical","position":1})"},
        RejectCase{"not_an_object", "[1,2,3]"}),
    [](const auto& row) { return std::string(row.param.name); });

#undef SPANLET_ID

TEST(GuideJsonTest, RejectsMalformedSets) {
    EXPECT_EQ(fromText<GuideSet>("{}"), std::nullopt);
    EXPECT_EQ(fromText<GuideSet>(R"({"guides":{}})"), std::nullopt);
    EXPECT_EQ(fromText<GuideSet>(R"({"guides":null})"), std::nullopt);
    EXPECT_EQ(fromText<GuideSet>("[]"), std::nullopt);
    EXPECT_EQ(fromText<GuideSet>(R"({"guides":[]})"), GuideSet{});
}

} // namespace
} // namespace spanlet
