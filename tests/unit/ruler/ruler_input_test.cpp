#include <gtest/gtest.h>
#include <ostream>
#include <string>

#include <spanlet/NumberText.hpp>
#include <spanlet/model/Mensor.hpp>
#include <spanlet/ruler/RulerKeys.hpp>
#include <spanlet/ruler/RulerMenu.hpp>
#include <spanlet/ruler/RulerPointer.hpp>

#include "fakes/FakePlatform.hpp"

namespace spanlet {

// Readable failure output for actions.
void PrintTo(const RulerAction& a, std::ostream* os) {
    const auto n = [](double v) { return NumberText::string(v, 3); };
    std::visit(
        [&](const auto& c) {
            using C = std::decay_t<decltype(c)>;
            if constexpr (std::is_same_v<C, RulerAction::MoveRuler>) {
                *os << "moveRuler(" << n(c.to.x) << ", " << n(c.to.y) << ")";
            } else if constexpr (std::is_same_v<C, RulerAction::SetRulerLength>) {
                *os << "setRulerLength(" << n(c.length) << ")";
            } else if constexpr (std::is_same_v<C, RulerAction::AddGuide>) {
                *os << "addGuide(" << rawValue(c.axis) << (c.at ? ", at" : "") << ")";
            } else if constexpr (std::is_same_v<C, RulerAction::ToggleRuler>) {
                *os << "toggleRuler";
            } else if constexpr (std::is_same_v<C, RulerAction::ToggleRulerOrientation>) {
                *os << "toggleRulerOrientation";
            } else if constexpr (std::is_same_v<C, RulerAction::ToggleUnit>) {
                *os << "toggleUnit";
            } else {
                *os << "none";
            }
        },
        a.value);
}

namespace testing {
namespace {

using H = RulerOrientation;
using A = RulerAction;

// --- Keys ----------------------------------------------------------------------------------

struct KeyCase {
    const char* name;
    RulerKey key;
    bool shift;
    bool option;
    RulerOrientation orientation;
    RulerAction expected;
};

void PrintTo(const KeyCase& c, std::ostream* os) {
    *os << c.name;
}

class RulerKeyTable : public ::testing::TestWithParam<KeyCase> {};

// The ruler's frame starts at (100, 200) and is 600 points long.
TEST_P(RulerKeyTable, MapsToTheModelOperation) {
    const KeyCase& c = GetParam();
    EXPECT_EQ(RulerKeys::action(c.key, c.shift, c.option, c.orientation, {100, 200}, 600),
              c.expected);
}

constexpr bool kShift = true;
constexpr bool kOption = true;

INSTANTIATE_TEST_SUITE_P(
    Keys, RulerKeyTable,
    ::testing::Values(
        KeyCase{"left_moves_1", RulerKey::leftArrow, false, false, H::horizontal,
                A::MoveRuler{{99, 200}}},
        KeyCase{"shift_right_moves_10", RulerKey::rightArrow, kShift, false, H::horizontal,
                A::MoveRuler{{110, 200}}},

        KeyCase{"shift_up_moves_up_10", RulerKey::upArrow, kShift, false, H::horizontal,
                A::MoveRuler{{100, 190}}},
        KeyCase{"option_left_shortens_horizontal", RulerKey::leftArrow, false, kOption,
                H::horizontal, A::SetRulerLength{599}},
        KeyCase{"option_shift_right_lengthens_horizontal_10", RulerKey::rightArrow, kShift, kOption,
                H::horizontal, A::SetRulerLength{610}},
        KeyCase{"option_left_keeps_vertical_length", RulerKey::leftArrow, false, kOption,
                H::vertical, A::SetRulerLength{600}},

        KeyCase{"option_shift_up_shortens_vertical_10", RulerKey::upArrow, kShift, kOption,
                H::vertical, A::SetRulerLength{590}},
        KeyCase{"option_up_keeps_horizontal_length", RulerKey::upArrow, false, kOption,
                H::horizontal, A::SetRulerLength{600}},
        KeyCase{"escape_hides", RulerKey::escape, false, false, H::horizontal, A::ToggleRuler{}},

        KeyCase{"r_turns", RulerKey::r, kShift, false, H::horizontal, A::ToggleRulerOrientation{}},
        KeyCase{"g_adds_vertical_guide_on_horizontal_ruler", RulerKey::g, false, false,
                H::horizontal, A::AddGuide{Axis::vertical, std::nullopt}},
        KeyCase{"g_adds_horizontal_guide_on_vertical_ruler", RulerKey::g, false, kOption,
                H::vertical, A::AddGuide{Axis::horizontal, std::nullopt}},
        KeyCase{"u_switches_unit", RulerKey::u, false, false, H::vertical, A::ToggleUnit{}},
        KeyCase{"other_key_passes_on", RulerKey::other, kShift, kOption, H::horizontal, A::None{}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(RulerKeysLetters, MatchEitherCaseOfOneCharacter) {
    EXPECT_EQ(RulerKeys::fromCharacters("r"), RulerKey::r);
    EXPECT_EQ(RulerKeys::fromCharacters("R"), RulerKey::r);
    EXPECT_EQ(RulerKeys::fromCharacters("G"), RulerKey::g);
    EXPECT_EQ(RulerKeys::fromCharacters("u"), RulerKey::u);
    EXPECT_EQ(RulerKeys::fromCharacters("x"), RulerKey::other);
    EXPECT_EQ(RulerKeys::fromCharacters(""), RulerKey::other);
    EXPECT_EQ(RulerKeys::fromCharacters("ru"), RulerKey::other);
    EXPECT_TRUE(RulerKeys::isArrow(RulerKey::upArrow));
    EXPECT_FALSE(RulerKeys::isArrow(RulerKey::r));
}

// --- Resize zone and drags ---------------------------------------------------------------------

struct ZoneCase {
    const char* name;
    RulerOrientation orientation;
    Point location;
    bool resizes;
};

void PrintTo(const ZoneCase& c, std::ostream* os) {
    *os << c.name;
}

class RulerResizeZone : public ::testing::TestWithParam<ZoneCase> {};

// A 600-point ruler: 600 × 40 horizontal, 40 × 600 vertical; locations in view-local top-left
// points.
TEST_P(RulerResizeZone, IsTheLast18PointsOfTheFarEnd) {
    const ZoneCase& c = GetParam();
    const Size size = c.orientation == H::horizontal ? Size{600, 40} : Size{40, 600};
    EXPECT_EQ(RulerPointer::inResizeZone(c.location, size, c.orientation), c.resizes);
}

INSTANTIATE_TEST_SUITE_P(
    Pointer, RulerResizeZone,
    ::testing::Values(ZoneCase{"horizontal_10_from_end_resizes", H::horizontal, {590, 20}, true},

                      ZoneCase{"horizontal_exactly_18_moves", H::horizontal, {582, 20}, false},
                      ZoneCase{"horizontal_near_bottom_moves", H::horizontal, {300, 39}, false},
                      ZoneCase{"vertical_10_from_lower_end_resizes", H::vertical, {20, 590}, true},

                      ZoneCase{"vertical_top_end_moves", H::vertical, {20, 10}, false}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(RulerPointerDrag, ResizeGrowsAlongTheRulerOnly) {
    const RulerDrag drag = RulerPointer::press(true, {700, 220}, {100, 200}, 600);
    EXPECT_EQ(drag, (RulerDrag{RulerDrag::Resize{{700, 220}, 600}}));
    EXPECT_EQ(RulerPointer::dragged(drag, {730, 400}, H::horizontal), A{A::SetRulerLength{630}});
    EXPECT_EQ(RulerPointer::dragged(drag, {400, 190}, H::vertical), A{A::SetRulerLength{570}});
}

TEST(RulerPointerDrag, MoveFollowsThePointerFromTheOriginAtThePress) {
    const RulerDrag drag = RulerPointer::press(false, {150, 220}, {100, 200}, 600);
    EXPECT_EQ(RulerPointer::dragged(drag, {160, 215}, H::horizontal),
              (A{A::MoveRuler{{110, 195}}}));
    EXPECT_EQ(RulerPointer::dragged(drag, {150, 220}, H::vertical), (A{A::MoveRuler{{100, 200}}}));
}

// --- Context menu --------------------------------------------------------------------------------

TEST(RulerMenuEntries, HorizontalRulerInPoints) {
    const auto entries = RulerMenu::entries(H::horizontal, MeasureUnit::points, {5, 6});
    const std::vector<RulerMenuEntry> expected{
        {"Add Vertical Guide Here", A::AddGuide{Axis::vertical, Point{5, 6}}},
        {"Make Vertical", A::ToggleRulerOrientation{}},
        {"Show Pixels", A::ToggleUnit{}},
        {"", A::None{}},
        {"Hide Ruler", A::ToggleRuler{}}};
    EXPECT_EQ(entries, expected);
    EXPECT_TRUE(entries[3].isSeparator());
}

TEST(RulerMenuEntries, VerticalRulerInPixels) {
    const auto entries = RulerMenu::entries(H::vertical, MeasureUnit::pixels, {5, 6});
    const std::vector<RulerMenuEntry> expected{
        {"Add Horizontal Guide Here", A::AddGuide{Axis::horizontal, Point{5, 6}}},
        {"Make Horizontal", A::ToggleRulerOrientation{}},
        {"Show Points", A::ToggleUnit{}},
        {"", A::None{}},
        {"Hide Ruler", A::ToggleRuler{}}};
    EXPECT_EQ(entries, expected);
}

// --- Carrying actions out on the model -----------------------------------------------------------

class RulerPerform : public ::testing::Test {
protected:
    RulerPerform() {
        platform.displays.screens = {fakes::makeScreen(1, {0, 0, 1600, 1000}, 2, 1000)};
        Preferences prefs;
        prefs.welcomed = true;
        prefs.rulerX = 100;
        prefs.rulerY = 200;
        model = std::make_unique<Mensor>(platform.ports(), prefs);
    }

    RulerAction key(RulerKey k, bool shift, bool option) const {
        const Rect f = model->rulerFrame();
        return RulerKeys::action(k, shift, option, model->prefs()->rulerOrientation, f.origin(),
                                 model->prefs()->rulerLength);
    }

    fakes::FakePlatform platform;
    std::unique_ptr<Mensor> model;
};

TEST_F(RulerPerform, OptionArrowsAcrossAVerticalRulerKeepItsLength) {
    perform(*model, A::ToggleRulerOrientation{});
    ASSERT_EQ(model->prefs()->rulerOrientation, H::vertical);
    perform(*model, key(RulerKey::leftArrow, false, kOption));
    EXPECT_EQ(model->prefs()->rulerLength, 600);
    perform(*model, key(RulerKey::downArrow, kShift, kOption));
    EXPECT_EQ(model->prefs()->rulerLength, 610);
}

TEST_F(RulerPerform, MenuEntriesReachTheModel) {
    const auto entries = RulerMenu::entries(H::horizontal, MeasureUnit::points, {300.2, 400});
    perform(*model, entries[0].action);
    ASSERT_EQ(model->prefs()->guides.guides.size(), 1U);
    EXPECT_EQ(model->prefs()->guides.guides[0].axis, Axis::vertical);
    EXPECT_EQ(model->prefs()->guides.guides[0].position, 300) << "on the scale-2 pixel grid";
    perform(*model, entries[2].action);
    EXPECT_EQ(model->prefs()->unit, MeasureUnit::pixels);
    perform(*model, entries[3].action); // the separator does nothing
    perform(*model, entries[4].action);
    EXPECT_TRUE(*model->rulerVisible()) << "hiding a hidden ruler toggles it";
}

} // namespace
} // namespace testing
} // namespace spanlet
