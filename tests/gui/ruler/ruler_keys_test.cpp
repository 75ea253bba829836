// Keys on the focused ruler window, typed with xdotool: arrows alone, with Shift and with Alt
// (Option's stand-in), the letters r, g, u and Escape. After every arrow the panel reports its
// changed accessibility value (the change event itself reaches only a listening assistive
// client, so the panel's matching signal is watched).
#include <ostream>
#include <string>

#include "RulerFixture.hpp"

namespace spanlet::test {
namespace {

/// What the keys change, compared whole.
struct RulerState {
    RulerOrientation orientation = RulerOrientation::horizontal;
    double length = 300;
    Point origin{1300, 200};
    MeasureUnit unit = MeasureUnit::points;
    bool visible = true;
    std::size_t verticalGuides = 0;
    std::size_t horizontalGuides = 0;

    friend bool operator==(const RulerState&, const RulerState&) = default;
    friend std::ostream& operator<<(std::ostream& os, const RulerState& s) {
        return os << (s.orientation == RulerOrientation::horizontal ? "horizontal" : "vertical")
                  << " length " << s.length << " at (" << s.origin.x << ", " << s.origin.y << ") "
                  << (s.unit == MeasureUnit::points ? "pt" : "px")
                  << (s.visible ? " shown" : " hidden") << " guides v" << s.verticalGuides << " h"
                  << s.horizontalGuides;
    }
};

RulerState stateOf(const Mensor& model) {
    const Preferences& p = *model.prefs();
    RulerState s;
    s.orientation = p.rulerOrientation;
    s.length = p.rulerLength;
    s.origin = {p.rulerX.value_or(-1), p.rulerY.value_or(-1)};
    s.unit = p.unit;
    s.visible = *model.rulerVisible();
    for (const Guide& g : p.guides.guides) {
        ++(g.axis == Axis::vertical ? s.verticalGuides : s.horizontalGuides);
    }
    return s;
}

struct KeyCase {
    const char* name;
    RulerOrientation orientation;
    const char* keys; // as xdotool key takes them
    RulerState expected;
    bool arrow;
};

void PrintTo(const KeyCase& c, std::ostream* os) {
    *os << c.name;
}

constexpr auto H = RulerOrientation::horizontal;
constexpr auto V = RulerOrientation::vertical;

RulerState state(RulerOrientation o, double length = 300, Point origin = {1300, 200},
                 MeasureUnit unit = MeasureUnit::points, bool visible = true,
                 std::size_t vertical = 0, std::size_t horizontal = 0) {
    return {o, length, origin, unit, visible, vertical, horizontal};
}

using RulerKeysTest = RulerWindowWith<KeyCase>;

TEST_P(RulerKeysTest, ChangeTheRulerThroughTheModel) {
    const KeyCase& c = GetParam();
    session().place(c.orientation, 300, {1300, 200});
    ASSERT_TRUE(session().show());
    const Point inside = c.orientation == H ? Point{1320, 210} : Point{1310, 220};
    ASSERT_TRUE(session().focusWithPointerAt(inside));
    ASSERT_EQ(stateOf(model()), state(c.orientation));

    std::vector<QString> valueChanges;
    QObject::connect(session().panel(), &RulerPanel::accessibleValueChanged, session().panel(),
                     [&](const QString& value) { valueChanges.push_back(value); });
    ASSERT_TRUE(xdo({"key", c.keys}));

    EXPECT_EQ(stateOf(model()), c.expected);
    if (c.arrow) {
        ASSERT_EQ(valueChanges.size(), 1u);
        EXPECT_EQ(valueChanges[0], session().panel()->accessibleValue());
    } else {
        EXPECT_TRUE(valueChanges.empty());
    }
    QObject::disconnect(session().panel(), &RulerPanel::accessibleValueChanged, nullptr, nullptr);
    if (c.expected.visible) {
        EXPECT_TRUE(
            waitUntil([&] { return session().panel()->geometry() == expectedGeometry(model()); }));
    }
}

INSTANTIATE_TEST_SUITE_P(
    RulerWindow, RulerKeysTest,
    ::testing::Values(
        KeyCase{"left_moves_1", H, "Left", state(H, 300, {1299, 200}), true},
        KeyCase{"shift_right_moves_10", H, "shift+Right", state(H, 300, {1310, 200}), true},

        KeyCase{"alt_right_lengthens_horizontal", H, "alt+Right", state(H, 301), true},
        KeyCase{"alt_shift_left_shortens_horizontal_10", H, "alt+shift+Left", state(H, 290), true},

        KeyCase{"alt_shift_up_shortens_vertical_10", V, "alt+shift+Up", state(V, 290), true},
        KeyCase{"r_turns", H, "r", state(V), false},

        KeyCase{"g_adds_a_guide_across_a_horizontal_ruler", H, "g",
                state(H, 300, {1300, 200}, MeasureUnit::points, true, 1, 0), false},

        KeyCase{"u_switches_the_unit", H, "u", state(H, 300, {1300, 200}, MeasureUnit::pixels),
                false},
        KeyCase{"escape_hides", H, "Escape", state(H, 300, {1300, 200}, MeasureUnit::points, false),
                false},
        KeyCase{"other_keys_do_nothing", H, "x", state(H), false}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(RulerWindow, GAddsTheGuideAtThePointer) {
    session().place(H, 300, {1300, 200});
    ASSERT_TRUE(session().show());
    ASSERT_TRUE(session().focusWithPointerAt({1345, 215}));
    ASSERT_TRUE(xdo({"key", "g"}));
    const auto& guides = prefs().guides.guides;
    ASSERT_EQ(guides.size(), 1u);
    EXPECT_EQ(guides[0].axis, Axis::vertical);
    EXPECT_EQ(guides[0].position, 1345);
}

} // namespace
} // namespace spanlet::test
