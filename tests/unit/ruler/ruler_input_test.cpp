#include <gtest/gtest.h>

#include <spanlet/ruler/RulerKeys.hpp>
#include <spanlet/ruler/RulerMenu.hpp>
#include <spanlet/ruler/RulerPointer.hpp>

namespace spanlet::testing {
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
        {"shift_up_moves_up_10", K::upArrow, true, false, vt, Move{{100, 190}}},
        {"opt_shift_right_lengthens_horizontal", K::rightArrow, true, true, hz, Length{610}},
        {"opt_left_keeps_vertical_length", K::leftArrow, false, true, vt, Length{600}},
        {"opt_shift_up_shortens_vertical", K::upArrow, true, true, vt, Length{590}},
        {"r_turns", K::r, true, false, hz, A::ToggleRulerOrientation{}},
        {"g_adds_guide_across_vertical", K::g, false, true, vt, A::AddGuide{Axis::horizontal, {}}},
        {"u_switches_unit", K::u, false, false, vt, A::ToggleUnit{}},
        {"other_key_passes_on", K::other, true, true, hz, A::None{}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_TRUE(RulerKeys::action(row.key, row.shift, row.option, row.orientation, {100, 200},
                                      600) == row.expected);
    }
    // Letters match either case of exactly one character.
    EXPECT_EQ(RulerKeys::fromCharacters("R"), K::r);
    EXPECT_EQ(RulerKeys::fromCharacters(""), K::other);
    EXPECT_EQ(RulerKeys::fromCharacters("ru"), K::other);
    // A key a back end's surface reports: arrows and Escape by the key, letters by their text.
    EXPECT_EQ(RulerKeys::fromKeyPress({.key = OverlayKey::right, .text = {}}), K::rightArrow);
    EXPECT_EQ(RulerKeys::fromKeyPress({.key = OverlayKey::other, .text = "G"}), K::g);
    EXPECT_EQ(RulerKeys::fromKeyPress({.key = OverlayKey::tab, .text = {}}), K::other);
}

// The grip zone is the last 18 points of the far end, strictly inside; a resize drag changes
// the length by the travel along the ruler, a move drag follows the pointer.
TEST(RulerPointerTest, GripResizesAlongTheRulerElseTheDragMoves) {
    EXPECT_FALSE(RulerPointer::inResizeZone({582, 20}, {600, 40}, hz));
    EXPECT_TRUE(RulerPointer::inResizeZone({20, 590}, {40, 600}, vt));
    EXPECT_FALSE(RulerPointer::inResizeZone({20, 10}, {40, 600}, vt));
    const RulerDrag resize = RulerPointer::press(true, {700, 220}, {100, 200}, 600);
    EXPECT_TRUE(RulerPointer::dragged(resize, {730, 400}, hz) == A{Length{630}});
    EXPECT_TRUE(RulerPointer::dragged(resize, {400, 190}, vt) == A{Length{570}});
    const RulerDrag move = RulerPointer::press(false, {150, 220}, {100, 200}, 600);
    EXPECT_TRUE(RulerPointer::dragged(move, {160, 215}, hz) == (A{Move{{110, 195}}}));
}

TEST(RulerMenuTest, EntriesFollowOrientationAndUnit) {
    const auto menu = [](Axis axis, const char* add, const char* turn, const char* show) {
        return std::vector<RulerMenuEntry>{{add, A::AddGuide{axis, Point{5, 6}}},
                                           {turn, A::ToggleRulerOrientation{}},
                                           {show, A::ToggleUnit{}},
                                           {"", A::None{}},
                                           {"Hide Ruler", A::ToggleRuler{}}};
    };
    EXPECT_TRUE(RulerMenu::entries(hz, MeasureUnit::points, {5, 6}) ==
                menu(Axis::vertical, "Add Vertical Guide Here", "Make Vertical", "Show Pixels"));
    EXPECT_TRUE(
        RulerMenu::entries(vt, MeasureUnit::pixels, {5, 6}) ==
        menu(Axis::horizontal, "Add Horizontal Guide Here", "Make Horizontal", "Show Points"));
}

} // namespace
} // namespace spanlet::testing
