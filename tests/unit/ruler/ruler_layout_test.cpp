#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

#include <spanlet/overlay/FakeTextMeasurer.hpp>
#include <spanlet/ruler/RulerColors.hpp>
#include <spanlet/ruler/RulerLayout.hpp>

#include "RulerTestSupport.hpp"

namespace spanlet::testing {
namespace {

using draw::DrawText;
using draw::FillRect;
using H = RulerOrientation;

const draw::FakeTextMeasurer kMeasurer;
const RulerColors kLight = RulerColors::forAppearance(false);

/// The tick marks: every filled rect except the pointer marker.
std::vector<FillRect> tickRects(const draw::DrawList& list) {
    std::vector<FillRect> ticks = opsOf<FillRect>(list);
    std::erase_if(ticks, [](const FillRect& r) { return r.color == kLight.marker; });
    return ticks;
}

/// The tick whose place along the ruler is `at` (within 0.001), or nothing.
std::optional<FillRect> tickAt(const std::vector<FillRect>& ticks, RulerOrientation o, double at) {
    for (const FillRect& t : ticks) {
        const double place = o == RulerOrientation::horizontal ? t.rect.x : t.rect.y;
        if (std::abs(place - at) < 0.001) {
            return t;
        }
    }
    return std::nullopt;
}

/// Tick labels: the texts in the 9-point medium font.
std::vector<DrawText> tickLabels(const draw::DrawList& list) {
    std::vector<DrawText> labels = opsOf<DrawText>(list);
    std::erase_if(labels,
                  [](const DrawText& t) { return t.font.weight != draw::FontWeight::medium; });
    return labels;
}

// --- Tick spacing per unit and scale ------------------------------------------------------

struct TickCase {
    const char* name;
    MeasureUnit unit;
    double scale;
    // Spacings in points.
    double minor;
    double middle;
    double major;
    const char* firstLabel; ///< label of the first major tick after 0
};

void PrintTo(const TickCase& c, std::ostream* os) {
    *os << c.name;
}

class RulerTicks : public ::testing::TestWithParam<TickCase> {};

TEST_P(RulerTicks, MarksEveryStepWithItsLengthAndOpacity) {
    const TickCase& c = GetParam();
    for (const RulerOrientation o : {H::horizontal, H::vertical}) {
        const RulerView view = rulerView(o, 400, c.unit, c.scale);
        const auto ticks = tickRects(RulerLayout::draw(view, kMeasurer));
        const double hair = 1 / c.scale;
        const auto expectTick = [&](double at, double length, double opacity) {
            const auto t = tickAt(ticks, o, at);
            ASSERT_TRUE(t) << "no tick at " << at;
            const Rect expected =
                o == H::horizontal ? Rect{at, 0, hair, length} : Rect{0, at, length, hair};
            EXPECT_NEAR(t->rect.x, expected.x, 1e-9);
            EXPECT_NEAR(t->rect.y, expected.y, 1e-9);
            EXPECT_DOUBLE_EQ(t->rect.width, expected.width);
            EXPECT_DOUBLE_EQ(t->rect.height, expected.height);
            EXPECT_EQ(t->color, kLight.ink.withOpacity(opacity));
        };
        expectTick(0, 16, 0.9);
        expectTick(c.minor, 6, 0.55);
        expectTick(c.middle, 10, 0.9);
        expectTick(c.major, 16, 0.9);
        // Nothing between two minor ticks.
        EXPECT_FALSE(tickAt(ticks, o, c.minor / 2));
        const auto labels = tickLabels(RulerLayout::draw(view, kMeasurer));
        ASSERT_FALSE(labels.empty());
        EXPECT_EQ(labels.front().text, c.firstLabel);
    }
}

INSTANTIATE_TEST_SUITE_P(Layout, RulerTicks,
                         ::testing::Values(

                             TickCase{"points_scale2", MeasureUnit::points, 2, 2, 10, 50, "50"},

                             TickCase{"pixels_scale1_5", MeasureUnit::pixels, 1.5, 5 / 1.5,
                                      20 / 1.5, 100 / 1.5, "100"}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(RulerLayoutTicks, TickAtTheFarEndIsDrawnOneDevicePixelInside) {
    for (const double scale : {1.0, 2.0}) {
        for (const RulerOrientation o : {H::horizontal, H::vertical}) {
            const RulerView view = rulerView(o, 300, MeasureUnit::points, scale);
            const auto ticks = tickRects(RulerLayout::draw(view, kMeasurer));
            const double inside = 300 - 1 / scale;
            const auto last = tickAt(ticks, o, inside);
            ASSERT_TRUE(last) << "scale " << scale;
            EXPECT_DOUBLE_EQ(o == H::horizontal ? last->rect.height : last->rect.width, 16);
            for (const FillRect& t : ticks) {
                EXPECT_LE(o == H::horizontal ? t.rect.maxX() : t.rect.maxY(), 300);
            }
        }
    }
}

// --- Tick labels ----------------------------------------------------------------------------

struct LabelCase {
    const char* name;
    double length;
    std::vector<std::string> labels;
};

void PrintTo(const LabelCase& c, std::ostream* os) {
    *os << c.name;
}

class RulerLabels : public ::testing::TestWithParam<LabelCase> {};

TEST_P(RulerLabels, SkipTheStartAndTheLast14Points) {
    for (const RulerOrientation o : {H::horizontal, H::vertical}) {
        const auto labels = tickLabels(
            RulerLayout::draw(rulerView(o, GetParam().length, MeasureUnit::points, 1), kMeasurer));
        std::vector<std::string> texts;
        for (const DrawText& l : labels) {
            texts.push_back(l.text);
        }
        EXPECT_EQ(texts, GetParam().labels);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layout, RulerLabels,
    ::testing::Values(
        LabelCase{"label_15_before_end_drawn", 265, {"50", "100", "150", "200", "250"}},
        LabelCase{"label_14_before_end_skipped", 264, {"50", "100", "150", "200"}},

        LabelCase{"shortest_ruler", 80, {"50"}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(RulerLayoutLabels, SitBesideTheirTicksInInk) {
    const auto horizontal = tickLabels(
        RulerLayout::draw(rulerView(H::horizontal, 300, MeasureUnit::points, 1), kMeasurer));
    ASSERT_FALSE(horizontal.empty());
    EXPECT_EQ(horizontal.front().position, (Point{52, 17}));
    EXPECT_EQ(horizontal.front().anchor, (Point{0, 0}));
    EXPECT_EQ(horizontal.front().font, (draw::FontSpec{9, draw::FontWeight::medium, true}));
    EXPECT_EQ(horizontal.front().color, kLight.ink);
    const auto vertical = tickLabels(
        RulerLayout::draw(rulerView(H::vertical, 300, MeasureUnit::points, 1), kMeasurer));
    ASSERT_FALSE(vertical.empty());
    EXPECT_EQ(vertical.front().position, (Point{18, 51}));
}

// --- Marker and readout badge ----------------------------------------------------------------

TEST(RulerLayoutMarker, IsDrawnOnlyForAnOffsetOnTheRuler) {
    for (const RulerOrientation o : {H::horizontal, H::vertical}) {
        for (const double offset : {-0.1, 300.1}) {
            const RulerView view = rulerView(o, 300, MeasureUnit::points, 2, offset);
            const auto list = RulerLayout::draw(view, kMeasurer);
            EXPECT_EQ(tickRects(list).size(), opsOf<FillRect>(list).size()) << offset;
            EXPECT_FALSE(RulerLayout::readoutBadge(view, kMeasurer)) << offset;
            EXPECT_EQ(opsOf<draw::FillPath>(list).size(), 1U) << "only the face: " << offset;
        }
        const RulerView none = rulerView(o, 300, MeasureUnit::points, 2, std::nullopt);
        EXPECT_FALSE(RulerLayout::markerPosition(none));
    }
}

TEST(RulerLayoutMarker, SitsOnADevicePixelAndStaysInsideAtBothEnds) {
    struct Row {
        double offset;
        double scale;
        double place;
    };
    for (const Row r : {Row{10.3, 2, 10.5}, Row{10.25, 2, 10.5}, Row{10.2, 2, 10}, Row{10.5, 1, 11},
                        Row{0, 2, 0}, Row{300, 2, 299.5}, Row{300, 1, 299}}) {
        const RulerView view =
            rulerView(H::horizontal, 300, MeasureUnit::points, r.scale, r.offset);
        std::vector<FillRect> markers = opsOf<FillRect>(RulerLayout::draw(view, kMeasurer));
        std::erase_if(markers, [](const FillRect& f) { return f.color != kLight.marker; });
        ASSERT_EQ(markers.size(), 1U) << r.offset;
        EXPECT_EQ(markers.front().rect, (Rect{r.place, 0, 1 / r.scale, 40})) << r.offset;
    }
    const RulerView vertical = rulerView(H::vertical, 300, MeasureUnit::points, 2, 10.3);
    std::vector<FillRect> markers = opsOf<FillRect>(RulerLayout::draw(vertical, kMeasurer));
    EXPECT_EQ(markers.back().rect, (Rect{0, 10.5, 40, 0.5}));
    EXPECT_EQ(markers.back().color, kLight.marker);
}

TEST(RulerLayoutBadge, ReadsTheRoundedOffset) {
    const auto text = [](RulerOrientation o, MeasureUnit u, double offset) {
        return RulerLayout::readoutBadge(rulerView(o, 300, u, 2, offset), kMeasurer)->text;
    };
    EXPECT_EQ(text(H::horizontal, MeasureUnit::points, 10.3), "10.5 pt");
    EXPECT_EQ(text(H::vertical, MeasureUnit::pixels, 10.3), "21");
}

struct BadgeCase {
    const char* name;
    RulerOrientation orientation;
    double offset;
    Rect box;
};

void PrintTo(const BadgeCase& c, std::ostream* os) {
    *os << c.name;
}

class RulerBadge : public ::testing::TestWithParam<BadgeCase> {};

// Ruler of 300 points at scale 1 in points; the fake measurer makes "250 pt" 36 × 12 (badge
// 44 × 15) and "250" 18 × 12 (badge 26 × 15).
TEST_P(RulerBadge, FlipsNearTheFarEnd) {
    const BadgeCase& c = GetParam();
    const auto badge = RulerLayout::readoutBadge(
        rulerView(c.orientation, 300, MeasureUnit::points, 1, c.offset), kMeasurer);
    ASSERT_TRUE(badge);
    EXPECT_EQ(badge->box, c.box);
    EXPECT_EQ(badge->font, (draw::FontSpec{10, draw::FontWeight::semibold, true}));
}

INSTANTIATE_TEST_SUITE_P(
    Layout, RulerBadge,
    ::testing::Values(

        BadgeCase{"horizontal_last_fit_on_the_right", H::horizontal, 250, {254, 22, 44, 15}},
        BadgeCase{"horizontal_flips_left", H::horizontal, 251, {203, 22, 44, 15}},

        BadgeCase{"vertical_last_fit_below", H::vertical, 279, {11, 283, 26, 15}},
        BadgeCase{"vertical_flips_above", H::vertical, 280, {11, 261, 26, 15}}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace spanlet::testing
