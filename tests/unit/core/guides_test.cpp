#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <string_view>
#include <tuple>

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

TEST(GuideSetTest, AddMoveAndNudgeStayOnThePixelGridAndFinite) {
    GuideSet set;
    const Guide first = set.add(Axis::vertical, 100.3, kTwo);
    EXPECT_EQ(first.position, 100.5);
    EXPECT_EQ(set.add(Axis::vertical, 100.4, kTwo), first); // one guide per place and axis
    EXPECT_NE(set.add(Axis::horizontal, 100.4, kTwo).id, first.id);
    set.add(Axis::vertical, kNaN, kOne);
    EXPECT_EQ(set.count(), 2);

    set.move(first.id, -2.5, kOne); // half a pixel rounds away from zero
    EXPECT_EQ(set.find(first.id)->position, -3);
    set.nudge(first.id, 0.5, kTwo);
    EXPECT_EQ(set.find(first.id)->position, -2.5);
    set.move(first.id, kNaN, kOne);
    set.nudge(first.id, kInf, kOne);
    EXPECT_EQ(set.find(first.id)->position, -2.5);
    set.move(first.id, kMax, kOne);
    set.nudge(first.id, kMax, kOne); // overflows
    EXPECT_EQ(set.find(first.id)->position, kMax);
    const Guide negativeZero{first.id, first.axis, -0.0}; // equal guides hash alike
    EXPECT_EQ(std::hash<Guide>{}(negativeZero), std::hash<Guide>{}({first.id, first.axis, 0.0}));
}

TEST(GuideSetTest, RepeatedIdsFromAHandEditedFile) {
    // Lookup and move take the first, remove takes all.
    const Uuid id = Uuid::random();
    const Guide other = guide(Axis::vertical, 5);
    GuideSet set{{Guide{id, Axis::vertical, 1}, other, Guide{id, Axis::horizontal, 2}}};
    set.move(id, 3, kOne);
    EXPECT_EQ(std::tuple(set.guides[0].position, set.guides[2].position), std::tuple(3.0, 2.0));
    set.remove(id);
    EXPECT_EQ(set.guides, std::vector<Guide>{other});
}

TEST(GuideSetTest, SortedIsStableAndGapsSkipCoincidentGuides) {
    const Guide a = guide(Axis::vertical, 200);
    GuideSet set{{a, guide(Axis::horizontal, 150), guide(Axis::vertical, 100),
                  guide(Axis::vertical, 200), guide(Axis::vertical, 300),
                  guide(Axis::vertical, 300.0005)}};
    EXPECT_EQ(set.sorted(Axis::vertical)[1], a); // equal positions keep their set order
    // Coincident guides, and guides no more than 0.001 apart, make no gap.
    EXPECT_EQ(set.gaps(Axis::vertical),
              (std::vector<Gap>{{Axis::vertical, 100, 200}, {Axis::vertical, 200, 300}}));
}

TEST(GuideSetTest, HitFindsTheNearestWithinTolerance) {
    // Two vertical guides 4 apart (the later one further left) and one horizontal guide.
    const GuideSet set{
        {guide(Axis::vertical, 54), guide(Axis::vertical, 50), guide(Axis::horizontal, 10)}};
    EXPECT_EQ(set.hit(47, 0, 3), set.guides[1]); // tolerance is inclusive
    EXPECT_EQ(set.hit(45, 9, 6), set.guides[2]);
    EXPECT_EQ(set.hit(52, 100, 3), set.guides[0]); // tie: the earliest in the set
    EXPECT_EQ(set.hit(kNaN, kNaN, 100), std::nullopt);
}

TEST(GuideSetTest, KeyboardOrderPlacesAndWrappingNext) {
    const Guide v300 = guide(Axis::vertical, 300);
    const Guide h20 = guide(Axis::horizontal, 20);
    const Guide v100 = guide(Axis::vertical, 100);
    const Guide h10 = guide(Axis::horizontal, 10);
    const GuideSet set{{v300, h20, v100, h10}};
    EXPECT_EQ(set.keyboardOrder(), (std::vector<Guide>{v100, v300, h10, h20}));
    EXPECT_EQ(set.position(h20.id), (GuideSet::Place{4, 4}));
    EXPECT_EQ(set.next(std::nullopt, true), v100);
    EXPECT_EQ(set.next(h20.id, true), v100);
    EXPECT_EQ(set.next(v100.id, false), h20);
    EXPECT_EQ(GuideSet{}.next(std::nullopt, true), std::nullopt);
}

TEST(GuideJsonTest, StoredFormAndRejects) {
    // Ids upper case, whole positions as floating-point numbers.
    const std::string text =
        R"({"axis":"horizontal","id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","position":7.0})";
    const auto g = decode<Guide>(std::string_view(text));
    ASSERT_TRUE(g.has_value());
    EXPECT_EQ(encode(*g), text);
    EXPECT_EQ(decode<GuideSet>(std::string_view(R"({"guides":[]})")), GuideSet{});

    // One bad guide (a capitalised axis; a position that parses as infinity) spoils the set.
    for (const char* bad : {R"("Vertical","position":1)", R"("vertical","position":1e400)"}) {
        const std::string inSet = R"({"guides":[{"id":"6ba7b810-9dad-11d1-80b4-00c04fd430c8",)"
                                  R"("axis":)" +
                                  std::string(bad) + "}]}";
        EXPECT_EQ(decode<GuideSet>(std::string_view(inSet)), std::nullopt) << bad;
    }
    EXPECT_EQ(decode<GuideSet>(std::string_view(R"({"guides":null})")), std::nullopt);
}

TEST(SnapTest, PullsOntoTheNearestCandidateWithinTheLimit) {
    using V = std::vector<double>;
    EXPECT_EQ(Snap::position(105, V{100, 110}, 8), 100); // tie: the first candidate
    EXPECT_EQ(Snap::position(118, V{100, 110}, 8), 110); // the limit is inclusive
    EXPECT_EQ(Snap::position(118.01, V{100, 110}, 8), 118.01);
    EXPECT_EQ(Snap::position(10, V{kNaN, 12}, 4), 12);
    EXPECT_TRUE(std::isnan(Snap::position(kNaN, V{0, 1}, 1e9)));
}

} // namespace
} // namespace spanlet
