// What the ruler shows: the view built from the model's state, its layout into draw operations
// and its accessibility value.
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/ruler/RulerAccessibility.hpp>
#include <spanlet/ruler/RulerColors.hpp>
#include <spanlet/ruler/RulerLayout.hpp>
#include <spanlet/ruler/RulerView.hpp>

#include "fakes/FakePlatform.hpp"
#include "fakes/FakeTextMeasurer.hpp"

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

// The scale is the display's under the frame's top-left corner (the scale-2 one right of a
// scale-1 one), the retina scale without displays; the pointer's offset runs along the ruler
// from the frame's start, negative before it; a hand-edited length below the minimum is drawn
// 80 long, like the window. The accessibility value names the pointer only on the ruler.
TEST(RulerViewTest, MadeFromTheModelsFramePointerAndDisplays) {
    fakes::FakePlatform platform;
    platform.displays.screens = {fakes::makeScreen(1, {0, 0, 1000, 800}, 1, 800),
                                 fakes::makeScreen(2, {1000, 0, 1000, 800}, 2, 800)};
    platform.displays.pointer = {0, 250};
    Preferences prefs;
    prefs.welcomed = true;
    prefs.rulerOrientation = vt;
    prefs.rulerLength = 10;
    prefs.rulerX = 1001;
    prefs.rulerY = 300;
    const RulerView v = RulerView::make(Mensor(platform.ports(), prefs), false);
    EXPECT_EQ(v.scale, DisplayScale::retina);
    EXPECT_EQ(v.pointerOffset, -50);
    EXPECT_EQ(v.size(), (Size{40, 80}));
    EXPECT_EQ(RulerAccessibility::value(v), "Vertical, 80 pt long") << "no pointer off the ruler";
    EXPECT_EQ(RulerAccessibility::value(rulerView(hz, 600, pt, 2, 600)),
              "Horizontal, 600 pt long. Pointer at 600 pt");
    EXPECT_EQ(RulerView::make(prefs, {0, 0, 300, 40}, {10, 5}, {}, false).scale,
              DisplayScale::retina);
}

// --- Layout ---------------------------------------------------------------------------------

/// The area of each segment of the marker's crisp lines, or else of every other one (the
/// ticks): a segment from (x, y) as wide (or high) as the line is thick.
std::vector<FillRect> rects(const RulerView& view, bool marker) {
    std::vector<FillRect> found;
    for (const draw::StrokePath& s : opsOf<draw::StrokePath>(view)) {
        if (!s.hairline || (s.color == light.marker) != marker) {
            continue;
        }
        for (std::size_t i = 0; i + 1 < s.path.elements.size(); i += 2) {
            const Point a = std::get<draw::MoveTo>(s.path.elements[i]).point;
            const Point b = std::get<draw::LineTo>(s.path.elements[i + 1]).point;
            const Size size =
                a.x == b.x ? Size{s.lineWidth, b.y - a.y} : Size{b.x - a.x, s.lineWidth};
            found.push_back({{a.x, a.y, size.width, size.height}, s.color});
        }
    }
    return found;
}

/// The texts drawn: without a pointer on the ruler, the tick labels, then the unit.
std::vector<std::string> texts(const RulerView& view) {
    std::vector<std::string> found;
    for (const DrawText& t : opsOf<DrawText>(view)) {
        found.push_back(t.text);
    }
    return found;
}

// Ticks grow from the top (left) edge, one device pixel thick: minor ones 6 long at opacity
// 0.55, middle ones 10 and major ones 16 at 0.9; the one at the far end moves inside. In pixels
// at scale 1.5 they come every 5, 20 and 100 pixels; the ruler is 400 points long.
TEST(RulerLayoutTest, TicksAndLabelsMarkTheSteps) {
    constexpr double hair = 1 / 1.5;
    for (const H o : {hz, vt}) {
        SCOPED_TRACE(o == hz ? "horizontal" : "vertical");
        const RulerView view = rulerView(o, 400, px, 1.5);
        const auto ticks = rects(view, false);
        const auto tickAt = [&](double at) {
            return std::find_if(ticks.begin(), ticks.end(), [&](const FillRect& t) {
                return std::abs((o == hz ? t.rect.x : t.rect.y) - at) < 0.001;
            });
        };
        const auto expectTick = [&](double at, double length, double opacity) {
            const auto t = tickAt(at);
            ASSERT_NE(t, ticks.end()) << "no tick at " << at;
            EXPECT_NEAR(o == hz ? t->rect.y : t->rect.x, 0, 1e-9);
            EXPECT_EQ(t->rect.size(), (o == hz ? Size{hair, length} : Size{length, hair}));
            EXPECT_EQ(t->color, light.ink.withOpacity(opacity));
        };
        expectTick(5 * hair, 6, 0.55);
        expectTick(20 * hair, 10, 0.9);
        expectTick(100 * hair, 16, 0.9);
        expectTick(400 - hair, 16, 0.9); // the far end's, one device pixel inside
        EXPECT_EQ(tickAt(2.5 * hair), ticks.end()) << "nothing between two minor ticks";
        EXPECT_EQ(texts(view).at(0), "100");
    }
    // No label at the start, nor one starting within 14 points of the far end; labels sit
    // beside their ticks in ink; the unit's name follows.
    EXPECT_EQ(texts(rulerView(hz, 265, pt, 1)),
              (std::vector<std::string>{"50", "100", "150", "200", "250", "pt"}));
    EXPECT_EQ(texts(rulerView(vt, 264, pt, 1)),
              (std::vector<std::string>{"50", "100", "150", "200", "pt"}));
    const DrawText horizontal = opsOf<DrawText>(rulerView(hz, 300, pt, 1)).at(0);
    EXPECT_EQ(horizontal.position, (Point{52, 17}));
    EXPECT_EQ(horizontal.color, light.ink);
    EXPECT_EQ(opsOf<DrawText>(rulerView(vt, 300, pt, 1)).at(0).position, (Point{18, 51}));
}

// The marker is a device-pixel line across the ruler at the rounded offset, kept inside at the
// far end, and only for an offset on the ruler (300 points long, scale 2).
TEST(RulerLayoutTest, MarkerSitsOnADevicePixelOnlyOnTheRuler) {
    const struct {
        double offset;
        std::optional<double> place;
    } rows[] = {{10.25, 10.5}, {10.2, 10}, {300, 299.5}, {-0.1, {}}, {300.1, {}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.offset);
        for (const H o : {hz, vt}) {
            const RulerView view = rulerView(o, 300, pt, 2, row.offset);
            const auto markers = rects(view, true);
            if (!row.place) {
                EXPECT_TRUE(markers.empty());
                EXPECT_FALSE(RulerLayout::readoutBadge(view, measurer));
                continue;
            }
            ASSERT_EQ(markers.size(), 1U);
            EXPECT_EQ(markers[0].rect,
                      (o == hz ? Rect{*row.place, 0, 0.5, 40} : Rect{0, *row.place, 40, 0.5}));
        }
    }
}

// The fake measurer makes each character 0.6 × the font size wide and lines 1.2 × it high. A
// horizontal badge reads the offset with its unit below the middle, right of the marker unless
// it would cross the far end; a vertical one the bare number below the marker unless it would
// cross the lower end, its font shrunk from 10 down to 8 points at most to fit across.
TEST(RulerLayoutTest, ReadoutBadgeFlipsNearTheFarEndAndShrinksToFit) {
    const auto expectBadge = [](const RulerView& view, const char* text, Rect box, double font) {
        SCOPED_TRACE(text);
        const auto badge = RulerLayout::readoutBadge(view, measurer);
        ASSERT_TRUE(badge);
        EXPECT_EQ(badge->text, text);
        EXPECT_NEAR(badge->box.x, box.x, 1e-9);
        EXPECT_NEAR(badge->box.y, box.y, 1e-9);
        EXPECT_NEAR(badge->box.width, box.width, 1e-9);
        EXPECT_NEAR(badge->box.height, box.height, 1e-9);
        EXPECT_EQ(badge->font, (draw::FontChoice{font, draw::FontWeight::semibold, true}));
    };
    expectBadge(rulerView(hz, 300, pt, 2, 10.3), "10.5 pt", {14.5, 22, 50, 15}, 10);
    expectBadge(rulerView(hz, 300, pt, 1, 251), "251 pt", {203, 22, 44, 15}, 10); // flipped
    expectBadge(rulerView(vt, 300, pt, 1, 280), "280", {11, 261, 26, 15}, 10);    // flipped
    expectBadge(rulerView(vt, 2e6, px, 1, 1234567), "1234567", {2, 1234571, 36, 12.6}, 8);
}

} // namespace
} // namespace spanlet::testing
