#include <gtest/gtest.h>
#include <ostream>

#include <spanlet/NumberText.hpp>
#include <spanlet/model/Mensor.hpp>
#include <spanlet/ruler/RulerKeys.hpp>
#include <spanlet/ruler/RulerMenu.hpp>
#include <spanlet/ruler/RulerPointer.hpp>

#include "fakes/FakePlatform.hpp"

namespace spanlet {

// Readable failure output for actions: the case's index and its numbers.
void PrintTo(const RulerAction& a, std::ostream* os) {
    const auto n = [](double v) { return NumberText::string(v, 3); };
    *os << "action #" << a.value.index();
    if (const auto* move = std::get_if<RulerAction::MoveRuler>(&a.value)) {
        *os << " to (" << n(move->to.x) << ", " << n(move->to.y) << ")";
    } else if (const auto* length = std::get_if<RulerAction::SetRulerLength>(&a.value)) {
        *os << " length " << n(length->length);
    } else if (const auto* guide = std::get_if<RulerAction::AddGuide>(&a.value)) {
        *os << " axis " << rawValue(guide->axis) << (guide->at ? " at a point" : "");
    }
}

namespace testing {
namespace {

using H = RulerOrientation;
using A = RulerAction;
using K = RulerKey;
using Move = RulerAction::MoveRuler;
using Length = RulerAction::SetRulerLength;
constexpr H hz = H::horizontal;
constexpr H vt = H::vertical;

// The ruler's frame starts at (100, 200) and is 600 points long. Arrows move it by 1 point, 10
// with Shift; with Option they change the length along the ruler and keep it across it.
TEST(RulerKeysTest, MapToTheModelOperation) {
    const struct {
        const char* name;
        K key;
        bool shift, option;
        H orientation;
        A expected;
    } rows[] = {
        {"left_moves_1", K::leftArrow, false, false, hz, Move{{99, 200}}},
        {"shift_right_moves_10", K::rightArrow, true, false, hz, Move{{110, 200}}},
        {"shift_up_moves_up_10", K::upArrow, true, false, vt, Move{{100, 190}}},
        {"down_moves_down_1", K::downArrow, false, false, hz, Move{{100, 201}}},
        {"opt_left_shortens_horizontal", K::leftArrow, false, true, hz, Length{599}},
        {"opt_shift_right_lengthens_horizontal", K::rightArrow, true, true, hz, Length{610}},
        {"opt_left_keeps_vertical_length", K::leftArrow, false, true, vt, Length{600}},
        {"opt_shift_up_shortens_vertical", K::upArrow, true, true, vt, Length{590}},
        {"opt_up_keeps_horizontal_length", K::upArrow, false, true, hz, Length{600}},
        {"escape_hides", K::escape, false, false, hz, A::ToggleRuler{}},
        {"r_turns", K::r, true, false, hz, A::ToggleRulerOrientation{}},
        {"g_adds_guide_across_horizontal", K::g, false, false, hz, A::AddGuide{Axis::vertical, {}}},
        {"g_adds_guide_across_vertical", K::g, false, true, vt, A::AddGuide{Axis::horizontal, {}}},
        {"u_switches_unit", K::u, false, false, vt, A::ToggleUnit{}},
        {"other_key_passes_on", K::other, true, true, hz, A::None{}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(
            RulerKeys::action(row.key, row.shift, row.option, row.orientation, {100, 200}, 600),
            row.expected);
    }
    // Letters match either case of exactly one character.
    EXPECT_EQ(RulerKeys::fromCharacters("R"), K::r);
    EXPECT_EQ(RulerKeys::fromCharacters("g"), K::g);
    EXPECT_EQ(RulerKeys::fromCharacters("U"), K::u);
    EXPECT_EQ(RulerKeys::fromCharacters("x"), K::other);
    EXPECT_EQ(RulerKeys::fromCharacters(""), K::other);
    EXPECT_EQ(RulerKeys::fromCharacters("ru"), K::other);
}

// The grip zone is the last 18 points of the far end (strictly inside) of a 600-point ruler;
// locations in view-local top-left points.
TEST(RulerPointerTest, ResizeZoneIsTheLast18PointsOfTheFarEnd) {
    const struct {
        const char* name;
        H orientation;
        Point location;
        bool resizes;
    } rows[] = {
        {"horizontal_10_from_end", hz, {590, 20}, true},
        {"horizontal_exactly_18_from_end", hz, {582, 20}, false},
        {"horizontal_near_bottom", hz, {300, 39}, false},
        {"vertical_10_from_lower_end", vt, {20, 590}, true},
        {"vertical_top_end", vt, {20, 10}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Size size = row.orientation == hz ? Size{600, 40} : Size{40, 600};
        EXPECT_EQ(RulerPointer::inResizeZone(row.location, size, row.orientation), row.resizes);
    }
}

TEST(RulerPointerTest, ResizeGrowsAlongTheRulerAndMoveFollowsThePointer) {
    const RulerDrag resize = RulerPointer::press(true, {700, 220}, {100, 200}, 600);
    EXPECT_EQ(RulerPointer::dragged(resize, {730, 400}, hz), A{Length{630}});
    EXPECT_EQ(RulerPointer::dragged(resize, {400, 190}, vt), A{Length{570}});
    const RulerDrag move = RulerPointer::press(false, {150, 220}, {100, 200}, 600);
    EXPECT_EQ(RulerPointer::dragged(move, {160, 215}, hz), (A{Move{{110, 195}}}));
    EXPECT_EQ(RulerPointer::dragged(move, {150, 220}, vt), (A{Move{{100, 200}}}));
}

TEST(RulerMenuTest, EntriesFollowOrientationAndUnit) {
    const auto menu = [](Axis axis, const char* add, const char* turn, const char* show) {
        return std::vector<RulerMenuEntry>{{add, A::AddGuide{axis, Point{5, 6}}},
                                           {turn, A::ToggleRulerOrientation{}},
                                           {show, A::ToggleUnit{}},
                                           {"", A::None{}},
                                           {"Hide Ruler", A::ToggleRuler{}}};
    };
    EXPECT_EQ(RulerMenu::entries(hz, MeasureUnit::points, {5, 6}),
              menu(Axis::vertical, "Add Vertical Guide Here", "Make Vertical", "Show Pixels"));
    EXPECT_EQ(
        RulerMenu::entries(vt, MeasureUnit::pixels, {5, 6}),
        menu(Axis::horizontal, "Add Horizontal Guide Here", "Make Horizontal", "Show Points"));
}

// Actions carried out on a model on one scale-2 display, ruler at (100, 200).
TEST(RulerPerformTest, ActionsReachTheModel) {
    fakes::FakePlatform platform;
    platform.displays.screens = {fakes::makeScreen(1, {0, 0, 1600, 1000}, 2, 1000)};
    Preferences prefs;
    prefs.welcomed = true;
    prefs.rulerX = 100;
    prefs.rulerY = 200;
    Mensor model(platform.ports(), prefs);
    const auto key = [&](RulerKey k, bool shift, bool option) {
        perform(model, RulerKeys::action(k, shift, option, model.prefs()->rulerOrientation,
                                         model.rulerFrame().origin(), model.prefs()->rulerLength));
    };
    // Option arrows across a vertical ruler keep its length; along it they change it.
    key(K::r, false, false);
    ASSERT_EQ(model.prefs()->rulerOrientation, vt);
    key(K::leftArrow, false, true);
    EXPECT_EQ(model.prefs()->rulerLength, 600);
    key(K::downArrow, true, true);
    EXPECT_EQ(model.prefs()->rulerLength, 610);

    const auto entries = RulerMenu::entries(hz, MeasureUnit::points, {300.2, 400});
    perform(model, entries[0].action);
    ASSERT_EQ(model.prefs()->guides.guides.size(), 1U);
    EXPECT_EQ(model.prefs()->guides.guides[0].axis, Axis::vertical);
    EXPECT_EQ(model.prefs()->guides.guides[0].position, 300) << "on the scale-2 pixel grid";
    perform(model, entries[2].action);
    EXPECT_EQ(model.prefs()->unit, MeasureUnit::pixels);
    perform(model, entries[3].action); // the separator does nothing
    perform(model, entries[4].action);
    EXPECT_TRUE(*model.rulerVisible()) << "hiding a hidden ruler toggles it";
}

} // namespace
} // namespace testing
} // namespace spanlet
