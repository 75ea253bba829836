#include <gtest/gtest.h>
#include <ostream>

#include <spanlet/overlay/FakeTextMeasurer.hpp>
#include <spanlet/overlay/LabelBox.hpp>

#include "OverlayTestSupport.hpp"

namespace spanlet::testing {
namespace {

using namespace draw;

// "12345" at size 13 measures 39 × 15.6, so its box is 51 × 20.6 with the default padding.
constexpr double boxW = 51;
constexpr double boxH = 20.6;

struct ClampCase {
    const char* name;
    Size canvas;
    Point at;
    Point anchor;
    Point origin; // expected box origin
};
void PrintTo(const ClampCase& c, std::ostream* os) {
    *os << c.name;
}

class LabelBoxClampTest : public ::testing::TestWithParam<ClampCase> {};

TEST_P(LabelBoxClampTest, KeepsTheBoxFourPointsInside) {
    const ClampCase& c = GetParam();
    DrawList list;
    const Rect box = addLabelBox(list, FakeTextMeasurer{}, c.canvas, "12345", c.at,
                                 {13, c.anchor, Color::white()});
    EXPECT_NEAR(box.x, c.origin.x, 1e-9);
    EXPECT_NEAR(box.y, c.origin.y, 1e-9);
    EXPECT_NEAR(box.width, boxW, 1e-9);
    EXPECT_NEAR(box.height, boxH, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Edges, LabelBoxClampTest,
                         ::testing::Values(ClampCase{"inside_stays_put",
                                                     {1000, 800},
                                                     {500, 400},
                                                     UnitPoint::center,
                                                     {500 - boxW / 2, 400 - boxH / 2}},

                                           ClampCase{"past_right_edge",
                                                     {1000, 800},
                                                     {1000, 400},
                                                     UnitPoint::leading,
                                                     {1000 - boxW - 4, 400 - boxH / 2}},

                                           ClampCase{"past_bottom_edge",
                                                     {1000, 800},
                                                     {500, 800},
                                                     UnitPoint::topTrailing,
                                                     {500 - boxW, 800 - boxH - 4}},
                                           ClampCase{"bottom_right_corner",
                                                     {1000, 800},
                                                     {999, 799},
                                                     UnitPoint::bottomLeading,
                                                     {1000 - boxW - 4, 800 - boxH - 4}},
                                           ClampCase{"exactly_four_inside_is_kept",
                                                     {1000, 800},
                                                     {4, 4},
                                                     UnitPoint::topLeading,
                                                     {4, 4}},
                                           ClampCase{"wider_than_canvas_far_edge_wins",
                                                     {40, 800},
                                                     {20, 400},
                                                     UnitPoint::center,
                                                     {40 - boxW - 4, 400 - boxH / 2}}),
                         CaseName{});

TEST(LabelBoxTest, DrawsRoundedBoxThenWhiteSemiboldTextAtItsCentre) {
    DrawList list;
    const Color fill{0.1, 0.2, 0.3, 0.5};
    const Rect box = addLabelBox(list, FakeTextMeasurer{}, {1000, 800}, "12345", {100, 100},
                                 {13, UnitPoint::topLeading, fill, {24, 10}});
    EXPECT_EQ(box, (Rect{100, 100, 39 + 24, 15.6 + 10}));
    ASSERT_EQ(list.ops.size(), 2U);
    const auto& background = std::get<FillPath>(list.ops[0]);
    EXPECT_EQ(background.color, fill);
    ASSERT_EQ(background.path.elements.size(), 1U);
    const auto& shape = std::get<RoundedRectShape>(background.path.elements[0]);
    EXPECT_EQ(shape.rect, box);
    EXPECT_DOUBLE_EQ(shape.cornerRadius, box.height / 2.6);
    EXPECT_TRUE(shape.continuousCorners);

    const auto& text = std::get<DrawText>(list.ops[1]);
    EXPECT_EQ(text.text, "12345");
    EXPECT_EQ(text.font, (FontSpec{13, FontWeight::semibold, true}));
    EXPECT_EQ(text.color, Color::white());
    EXPECT_EQ(text.anchor, UnitPoint::center);
    EXPECT_DOUBLE_EQ(text.position.x, 100 + box.width / 2);
    EXPECT_DOUBLE_EQ(text.position.y, 100 + box.height / 2);
    EXPECT_NEAR(text.box().x, 112, 1e-9); // padding split evenly around the text
    EXPECT_NEAR(text.box().y, 105, 1e-9);
}

} // namespace
} // namespace spanlet::testing
