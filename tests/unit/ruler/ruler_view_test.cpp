#include <gtest/gtest.h>
#include <ostream>
#include <string>

#include <spanlet/model/Mensor.hpp>
#include <spanlet/overlay/FakeTextMeasurer.hpp>
#include <spanlet/ruler/RulerAccessibility.hpp>
#include <spanlet/ruler/RulerLayout.hpp>
#include <spanlet/ruler/RulerView.hpp>

#include "RulerTestSupport.hpp"
#include "fakes/FakePlatform.hpp"

namespace spanlet::testing {
namespace {

using H = RulerOrientation;

Preferences rulerPrefs(RulerOrientation o, MeasureUnit unit) {
    Preferences p;
    p.rulerOrientation = o;
    p.unit = unit;
    return p;
}

std::vector<ScreenInfo> twoDisplays() {
    return {fakes::makeScreen(1, {0, 0, 1000, 800}, 1, 800),
            fakes::makeScreen(2, {1000, 0, 1000, 800}, 2, 800)};
}

// --- Building the view from the model's state ---------------------------------------------

TEST(RulerViewMake, HorizontalOffsetRunsAlongXFromTheFrame) {
    const RulerView v = RulerView::make(rulerPrefs(H::horizontal, MeasureUnit::pixels),
                                        {100, 200, 600, 40}, {130, 900}, twoDisplays(), true);
    EXPECT_EQ(v.orientation, H::horizontal);
    EXPECT_EQ(v.length, 600);
    EXPECT_EQ(v.unit, MeasureUnit::pixels);
    EXPECT_EQ(v.scale, DisplayScale::standard);
    EXPECT_EQ(v.pointerOffset, 30) << "present even with the pointer far off the ruler";
    EXPECT_TRUE(v.dark);
    EXPECT_EQ(v.size(), (Size{600, 40}));
}

TEST(RulerViewMake, VerticalOffsetRunsAlongYAndMayBeNegative) {
    const RulerView v = RulerView::make(rulerPrefs(H::vertical, MeasureUnit::points),
                                        {100, 200, 40, 500}, {0, 150}, twoDisplays(), false);
    EXPECT_EQ(v.length, 500);
    EXPECT_EQ(v.pointerOffset, -50);
    EXPECT_FALSE(v.pointerOnRuler());
    EXPECT_EQ(v.size(), (Size{40, 500}));
}

TEST(RulerViewMake, ScaleIsTheDisplayUnderTheTopLeftCorner) {
    // The ruler starts on the scale-2 display and reaches back over the scale-1 one; the
    // pointer is on the scale-1 display.
    const RulerView v = RulerView::make(rulerPrefs(H::horizontal, MeasureUnit::points),
                                        {1001, 10, 600, 40}, {500, 20}, twoDisplays(), false);
    EXPECT_EQ(v.scale, DisplayScale::retina);
    const RulerView w = RulerView::make(rulerPrefs(H::horizontal, MeasureUnit::points),
                                        {990, 10, 600, 40}, {1500, 20}, twoDisplays(), false);
    EXPECT_EQ(w.scale, DisplayScale::standard);
}

TEST(RulerViewMake, WithoutDisplaysUsesTheRetinaScaleForTicksAndReadout) {
    const RulerView v = RulerView::make(rulerPrefs(H::horizontal, MeasureUnit::pixels),
                                        {0, 0, 300, 40}, {10.3, 5}, {}, false);
    EXPECT_EQ(v.scale, DisplayScale::retina);
    const draw::FakeTextMeasurer measurer;
    // Pixels on scale 2: a minor tick every 5 pixels, that is 2.5 points, half a point thick.
    const auto rects = opsOf<draw::FillRect>(RulerLayout::draw(v, measurer));
    ASSERT_GT(rects.size(), 2U);
    EXPECT_EQ(rects[1].rect, (Rect{2.5, 0, 0.5, 6}));
    EXPECT_EQ(RulerLayout::readoutBadge(v, measurer)->text, "21 px");
}

TEST(RulerViewMake, FromTheModelUsesItsFrameAndPointer) {
    fakes::FakePlatform platform;
    platform.displays.screens = twoDisplays();
    platform.displays.pointer = {1150, 330};
    Preferences prefs = rulerPrefs(H::vertical, MeasureUnit::points);
    prefs.welcomed = true;
    prefs.rulerLength = 400;
    prefs.rulerX = 1100;
    prefs.rulerY = 300;
    const Mensor model(platform.ports(), prefs);
    const RulerView v = RulerView::make(model, false);
    EXPECT_EQ(v.orientation, H::vertical);
    EXPECT_EQ(v.length, 400);
    EXPECT_EQ(v.scale, DisplayScale::retina);
    EXPECT_EQ(v.pointerOffset, 30);
}

TEST(RulerViewMake, LengthFollowsTheWindowWhenTheStoredOneIsOutOfRange) {
    // A hand-edited length below the minimum: the window is 80 long, and so is the drawing.
    Preferences prefs = rulerPrefs(H::horizontal, MeasureUnit::points);
    prefs.rulerLength = 10;
    fakes::FakePlatform platform;
    platform.displays.screens = twoDisplays();
    const Mensor model(platform.ports(), prefs);
    EXPECT_EQ(RulerView::make(model, false).length, model.rulerFrame().width);
    EXPECT_EQ(RulerView::make(model, false).length, 80);
}

// --- Accessibility value -----------------------------------------------------------------------

struct ValueCase {
    const char* name;
    RulerOrientation orientation;
    MeasureUnit unit;
    double scale;
    std::optional<double> offset;
    const char* value;
};

void PrintTo(const ValueCase& c, std::ostream* os) {
    *os << c.name;
}

class RulerAccessibilityValue : public ::testing::TestWithParam<ValueCase> {};

TEST_P(RulerAccessibilityValue, NamesDirectionLengthAndPointerOnTheRuler) {
    const ValueCase& c = GetParam();
    EXPECT_EQ(RulerAccessibility::value(rulerView(c.orientation, 600, c.unit, c.scale, c.offset)),
              c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Accessibility, RulerAccessibilityValue,
    ::testing::Values(ValueCase{"no_pointer", H::horizontal, MeasureUnit::points, 2, std::nullopt,
                                "Horizontal, 600 pt long"},

                      ValueCase{"pointer_at_start", H::horizontal, MeasureUnit::points, 2, 0,
                                "Horizontal, 600 pt long. Pointer at 0 pt"},
                      ValueCase{"pointer_at_end", H::vertical, MeasureUnit::points, 2, 600,
                                "Vertical, 600 pt long. Pointer at 600 pt"},

                      ValueCase{"pointer_in_pixels", H::horizontal, MeasureUnit::pixels, 2, 10.25,
                                "Horizontal, 1200 px long. Pointer at 21 px"},
                      ValueCase{"pointer_before_start", H::horizontal, MeasureUnit::points, 2,
                                -0.01, "Horizontal, 600 pt long"},
                      ValueCase{"pointer_beyond_end", H::vertical, MeasureUnit::points, 2, 600.01,
                                "Vertical, 600 pt long"}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace spanlet::testing
