// What the ruler shows: the view built from the model's state, its layout into draw operations
// and its accessibility value.
#include <cmath>
#include <gtest/gtest.h>
#include <string>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/overlay/FakeTextMeasurer.hpp>
#include <spanlet/ruler/RulerAccessibility.hpp>
#include <spanlet/ruler/RulerColors.hpp>
#include <spanlet/ruler/RulerLayout.hpp>
#include <spanlet/ruler/RulerView.hpp>

#include "fakes/FakePlatform.hpp"

namespace spanlet::testing {
namespace {

using draw::DrawText;
using draw::FillRect;
using H = RulerOrientation;
constexpr H hz = H::horizontal;
constexpr H vt = H::vertical;
constexpr MeasureUnit pt = MeasureUnit::points;
constexpr MeasureUnit px = MeasureUnit::pixels;

RulerView rulerView(H orientation, double length, MeasureUnit unit, double scale,
                    std::optional<double> offset = std::nullopt) {
    RulerView v;
    v.orientation = orientation;
    v.length = length;
    v.unit = unit;
    v.scale = DisplayScale(scale);
    v.pointerOffset = offset;
    return v;
}

const draw::FakeTextMeasurer measurer;
const RulerColors light = RulerColors::forAppearance(false);

/// The operations of type Op in the view's drawing, in order.
template <class Op>
std::vector<Op> opsOf(const RulerView& view) {
    std::vector<Op> found;
    for (const draw::DrawOp& op : RulerLayout::draw(view, measurer).ops) {
        if (const auto* o = std::get_if<Op>(&op)) {
            found.push_back(*o);
        }
    }
    return found;
}

Preferences rulerPrefs(H o, MeasureUnit unit) {
    Preferences p;
    p.welcomed = true;
    p.rulerOrientation = o;
    p.unit = unit;
    return p;
}

/// A scale-1 display and a scale-2 one to its right.
std::vector<ScreenInfo> twoDisplays() {
    return {fakes::makeScreen(1, {0, 0, 1000, 800}, 1, 800),
            fakes::makeScreen(2, {1000, 0, 1000, 800}, 2, 800)};
}

// The length is the frame's along the ruler; the pointer's offset runs along the ruler from the
// frame's start, present even far off the ruler and negative before it; the scale is the
// display's under the frame's top-left corner, wherever the rest of the ruler and the pointer
// are, and the retina scale without displays.
TEST(RulerViewTest, MadeFromTheFrameThePointerAndTheDisplays) {
    const auto make = [](H o, Rect frame, Point pointer, const std::vector<ScreenInfo>& screens) {
        return RulerView::make(rulerPrefs(o, pt), frame, pointer, screens, false);
    };
    const RulerView h = make(hz, {100, 200, 600, 40}, {130, 900}, twoDisplays());
    EXPECT_EQ(h.length, 600);
    EXPECT_EQ(h.pointerOffset, 30);
    EXPECT_EQ(h.size(), (Size{600, 40}));
    const RulerView v = make(vt, {100, 200, 40, 500}, {0, 150}, twoDisplays());
    EXPECT_EQ(v.length, 500);
    EXPECT_EQ(v.pointerOffset, -50);
    EXPECT_FALSE(v.pointerOnRuler());
    EXPECT_EQ(v.size(), (Size{40, 500}));
    EXPECT_EQ(make(hz, {1001, 10, 600, 40}, {500, 20}, twoDisplays()).scale, DisplayScale::retina);
    EXPECT_EQ(make(hz, {990, 10, 600, 40}, {1500, 20}, twoDisplays()).scale,
              DisplayScale::standard);
    EXPECT_EQ(make(hz, {0, 0, 300, 40}, {10, 5}, {}).scale, DisplayScale::retina);
}

TEST(RulerViewTest, FromTheModelUsesItsFrameAndPointer) {
    fakes::FakePlatform platform;
    platform.displays.screens = twoDisplays();
    platform.displays.pointer = {1150, 330};
    Preferences prefs = rulerPrefs(vt, pt);
    prefs.rulerLength = 400;
    prefs.rulerX = 1100;
    prefs.rulerY = 300;
    const RulerView v = RulerView::make(Mensor(platform.ports(), prefs), false);
    EXPECT_EQ(v.length, 400);
    EXPECT_EQ(v.scale, DisplayScale::retina);
    EXPECT_EQ(v.pointerOffset, 30);
    // A hand-edited length below the minimum: the window is 80 long, and so is the drawing.
    prefs.rulerLength = 10;
    EXPECT_EQ(RulerView::make(Mensor(platform.ports(), prefs), false).length, 80);
}

TEST(RulerViewTest, AccessibilityValueNamesDirectionLengthAndPointerOnTheRuler) {
    const struct {
        const char* name;
        H orientation;
        MeasureUnit unit;
        std::optional<double> offset;
        const char* value;
    } rows[] = {
        {"no_pointer", hz, pt, {}, "Horizontal, 600 pt long"},
        {"pointer_at_start", hz, pt, 0, "Horizontal, 600 pt long. Pointer at 0 pt"},
        {"pointer_at_end", vt, pt, 600, "Vertical, 600 pt long. Pointer at 600 pt"},
        {"pointer_in_pixels", hz, px, 10.25, "Horizontal, 1200 px long. Pointer at 21 px"},
        {"pointer_before_start", hz, pt, -0.01, "Horizontal, 600 pt long"},
        {"pointer_beyond_end", vt, pt, 600.01, "Vertical, 600 pt long"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(
            RulerAccessibility::value(rulerView(row.orientation, 600, row.unit, 2, row.offset)),
            row.value);
    }
}

// --- Layout ---------------------------------------------------------------------------------

/// The filled rects in `color`, or every one but the marker.
std::vector<FillRect> rects(const RulerView& view, std::optional<draw::Color> color = {}) {
    std::vector<FillRect> found = opsOf<FillRect>(view);
    std::erase_if(found, [&](const FillRect& r) {
        return color ? r.color != *color : r.color == light.marker;
    });
    return found;
}

/// The tick whose place along the ruler is `at` (within 0.001), or nothing.
std::optional<FillRect> tickAt(const std::vector<FillRect>& ticks, H o, double at) {
    for (const FillRect& t : ticks) {
        if (std::abs((o == hz ? t.rect.x : t.rect.y) - at) < 0.001) {
            return t;
        }
    }
    return std::nullopt;
}

/// Tick labels: the texts in the 9-point medium font.
std::vector<DrawText> tickLabels(const RulerView& view) {
    std::vector<DrawText> labels = opsOf<DrawText>(view);
    std::erase_if(labels,
                  [](const DrawText& t) { return t.font.weight != draw::FontWeight::medium; });
    return labels;
}

// Ticks grow from the top (left) edge, one device pixel thick: minor ones 6 long at opacity
// 0.55, middle ones 10 and major ones 16 at 0.9; the one at the far end moves inside. Spacings
// in points; the ruler is 400 long.
TEST(RulerLayoutTest, TicksMarkEveryStepWithItsLengthAndOpacity) {
    const struct {
        const char* name;
        MeasureUnit unit;
        double scale, minor, middle, major;
        const char* firstLabel; // of the first major tick after 0
    } rows[] = {
        {"points_scale2", pt, 2, 2, 10, 50, "50"},
        {"pixels_scale1_5", px, 1.5, 5 / 1.5, 20 / 1.5, 100 / 1.5, "100"},
    };
    for (const auto& row : rows) {
        for (const H o : {hz, vt}) {
            SCOPED_TRACE(std::string(row.name) + (o == hz ? " horizontal" : " vertical"));
            const RulerView view = rulerView(o, 400, row.unit, row.scale);
            const auto ticks = rects(view);
            const double hair = 1 / row.scale;
            const auto expectTick = [&](double at, double length, double opacity) {
                const auto t = tickAt(ticks, o, at);
                ASSERT_TRUE(t) << "no tick at " << at;
                EXPECT_NEAR(o == hz ? t->rect.y : t->rect.x, 0, 1e-9);
                EXPECT_EQ(t->rect.size(), (o == hz ? Size{hair, length} : Size{length, hair}));
                EXPECT_EQ(t->color, light.ink.withOpacity(opacity));
            };
            expectTick(0, 16, 0.9);
            expectTick(row.minor, 6, 0.55);
            expectTick(row.middle, 10, 0.9);
            expectTick(row.major, 16, 0.9);
            expectTick(400 - hair, 16, 0.9); // the far end's, one device pixel inside
            for (const FillRect& t : ticks) {
                EXPECT_LE(o == hz ? t.rect.maxX() : t.rect.maxY(), 400);
            }
            EXPECT_FALSE(tickAt(ticks, o, row.minor / 2)) << "nothing between two minor ticks";
            EXPECT_EQ(tickLabels(view).at(0).text, row.firstLabel);
        }
    }
}

// No label at the start, nor one starting within 14 points of the far end; labels sit beside
// their ticks in ink.
TEST(RulerLayoutTest, TickLabelsSkipTheStartAndTheLast14Points) {
    const struct {
        const char* name;
        double length;
        std::vector<std::string> labels;
    } rows[] = {
        {"label_15_before_end_drawn", 265, {"50", "100", "150", "200", "250"}},
        {"label_14_before_end_skipped", 264, {"50", "100", "150", "200"}},
        {"shortest_ruler", 80, {"50"}},
    };
    for (const auto& row : rows) {
        for (const H o : {hz, vt}) {
            SCOPED_TRACE(row.name);
            std::vector<std::string> texts;
            for (const DrawText& l : tickLabels(rulerView(o, row.length, pt, 1))) {
                texts.push_back(l.text);
            }
            EXPECT_EQ(texts, row.labels);
        }
    }
    const DrawText horizontal = tickLabels(rulerView(hz, 300, pt, 1)).at(0);
    EXPECT_EQ(horizontal.position, (Point{52, 17}));
    EXPECT_EQ(horizontal.anchor, (Point{0, 0}));
    EXPECT_EQ(horizontal.font, (draw::FontSpec{9, draw::FontWeight::medium, true}));
    EXPECT_EQ(horizontal.color, light.ink);
    EXPECT_EQ(tickLabels(rulerView(vt, 300, pt, 1)).at(0).position, (Point{18, 51}));
}

// The marker is a device-pixel line across the ruler at the rounded offset, kept inside at the
// far end, and only for an offset on the ruler (300 points long).
TEST(RulerLayoutTest, MarkerSitsOnADevicePixelOnlyOnTheRuler) {
    const struct {
        double offset, scale;
        std::optional<double> place;
    } rows[] = {
        {10.3, 2, 10.5}, {10.25, 2, 10.5}, {10.2, 2, 10}, {10.5, 1, 11},  {0, 2, 0},
        {300, 2, 299.5}, {300, 1, 299},    {-0.1, 2, {}}, {300.1, 2, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.offset);
        for (const H o : {hz, vt}) {
            const RulerView view = rulerView(o, 300, pt, row.scale, row.offset);
            const auto markers = rects(view, light.marker);
            if (!row.place) {
                EXPECT_TRUE(markers.empty());
                EXPECT_FALSE(RulerLayout::readoutBadge(view, measurer));
                EXPECT_EQ(opsOf<draw::FillPath>(view).size(), 1U) << "only the face";
                continue;
            }
            const double hair = 1 / row.scale;
            ASSERT_EQ(markers.size(), 1U);
            EXPECT_EQ(markers[0].rect,
                      (o == hz ? Rect{*row.place, 0, hair, 40} : Rect{0, *row.place, 40, hair}));
        }
    }
    EXPECT_FALSE(RulerLayout::markerPosition(rulerView(vt, 300, pt, 2)));
}

// The fake measurer makes each character 0.6 × the font size wide and lines 1.2 × it high. A
// horizontal badge reads the offset with its unit below the middle, right of the marker unless
// it would cross the far end; a vertical one the bare number below the marker unless it would
// cross the lower end, its font shrunk from 10 down to 8 points at most to fit across.
TEST(RulerLayoutTest, ReadoutBadgeFlipsNearTheFarEndAndShrinksToFit) {
    const struct {
        const char* name;
        H orientation;
        MeasureUnit unit;
        double scale, length, offset;
        const char* text;
        Rect box;
        double fontSize;
    } rows[] = {
        {"horizontal_rounded_offset", hz, pt, 2, 300, 10.3, "10.5 pt", {14.5, 22, 50, 15}, 10},
        {"horizontal_last_fit_on_the_right", hz, pt, 1, 300, 250, "250 pt", {254, 22, 44, 15}, 10},
        {"horizontal_flips_left", hz, pt, 1, 300, 251, "251 pt", {203, 22, 44, 15}, 10},
        {"vertical_in_device_pixels", vt, px, 2, 300, 10.3, "21", {17, 14.5, 20, 15}, 10},
        {"vertical_last_fit_below", vt, pt, 1, 300, 279, "279", {11, 283, 26, 15}, 10},
        {"vertical_flips_above", vt, pt, 1, 300, 280, "280", {11, 261, 26, 15}, 10},
        {"five_digits_fit_at_10", vt, px, 1, 2e6, 12345, "12345", {2, 12349, 36, 15}, 10},
        {"six_digits_shrink_to_8", vt, px, 1, 2e6, 123456, "123456", {2, 123460, 36, 12.6}, 8},
        {"seven_digits_stop_at_8", vt, px, 1, 2e6, 1234567, "1234567", {2, 1234571, 36, 12.6}, 8},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto badge = RulerLayout::readoutBadge(
            rulerView(row.orientation, row.length, row.unit, row.scale, row.offset), measurer);
        ASSERT_TRUE(badge);
        EXPECT_EQ(badge->text, row.text);
        EXPECT_NEAR(badge->box.x, row.box.x, 1e-9);
        EXPECT_NEAR(badge->box.y, row.box.y, 1e-9);
        EXPECT_NEAR(badge->box.width, row.box.width, 1e-9);
        EXPECT_NEAR(badge->box.height, row.box.height, 1e-9);
        EXPECT_EQ(badge->font, (draw::FontSpec{row.fontSize, draw::FontWeight::semibold, true}));
    }
}

} // namespace
} // namespace spanlet::testing
