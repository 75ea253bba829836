#include <limits>

#include <spanlet/Ruler.hpp>

#include "ModelFixture.hpp"

namespace spanlet::testing {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Mixed scales: a scale-1 display, and a scale-2 display to its right.
class RulerTest : public ModelTest {
protected:
    void SetUp() override {
        addDisplay(1, {0, 0, 1000, 800}, 1);
        addDisplay(2, {1000, 0, 1000, 800}, 2);
        pointAt({1500, 500});
    }
    Mensor& startedAt(std::optional<double> x, std::optional<double> y, double length = 600) {
        Preferences p = welcomedPrefs();
        p.rulerX = x;
        p.rulerY = y;
        p.rulerLength = length;
        return started(p);
    }
};

// Only a usable stored place is used (see PreferenceLimitsTest); else the ruler is centred.
TEST_F(RulerTest, FrameCentresOnThePointersDisplayAndResetAnnounces) {
    EXPECT_EQ(startedAt(10.5, std::nullopt).ruler().frame(), (Rect{1200, 380, 600, 40}));
    model->ruler().toggleOrientation();
    EXPECT_EQ(model->ruler().frame(), (Rect{1480, 100, 40, 600}));
    model->ruler().reset(); // a hidden ruler is shown
    model->ruler().reset(); // a shown one is moved
    EXPECT_EQ(
        platform.announcer.spoken,
        (std::vector<std::string>{"Ruler shown", "Ruler moved to the middle of the display"}));
    model->ruler().toggle();
    EXPECT_EQ(platform.announcer.last(), "Ruler hidden");
    EXPECT_FALSE(model->messages().toast()->has_value());
}

TEST_F(RulerTest, MoveAndLengthStoreWholeDevicePixelsWithinLimits) {
    Mensor& m = startedAt(std::nullopt, std::nullopt, 200);
    struct Row {
        const char* name;
        Point to, stored;
    };
    for (const Row& r : {Row{"scale2_up_to_half", {1400.3, 10.3}, {1400.5, 10.5}},
                         Row{"scale1_whole_points", {100.3, 10.5}, {100, 11}},
                         Row{"far_left_keeps_grip_on_screen", {-5000, 100}, {-160, 100}}}) {
        m.ruler().move(r.to);
        EXPECT_EQ((Point{*m.prefs()->rulerX, *m.prefs()->rulerY}), r.stored) << r.name;
    }
    m.ruler().setLength(300.5);
    m.ruler().setLength(kNaN);
    EXPECT_DOUBLE_EQ(m.prefs()->rulerLength, 301);
    const int saves = platform.saves(); // an unusable place changes nothing
    m.ruler().move({kNaN, 10});
    EXPECT_EQ(platform.saves(), saves);
}

// A horizontal ruler turned vertical on the scale-1 display (800 points high).
TEST_F(RulerTest, TurningKeepsTheRulerOnItsDisplay) {
    struct Row {
        const char* name;
        Point from;
        double length;
        Point to;
    };
    for (const Row& r : {Row{"inside_stays_put", {100, 100}, 600, {100, 100}},
                         Row{"near_the_bottom_moves_up", {100, 700}, 600, {100, 200}},
                         Row{"too_long_starts_at_the_top", {100, 790}, 900, {100, 0}}}) {
        Mensor& m = startedAt(r.from.x, r.from.y, r.length);
        m.ruler().toggleOrientation();
        EXPECT_EQ(m.ruler().frame(), (Rect{r.to.x, r.to.y, 40, r.length})) << r.name;
    }
}

TEST_F(RulerTest, AShownRulerLeftOnAnUnpluggedDisplayIsBroughtBack) {
    Mensor& m = startedAt(1500, 400, 300);
    m.ruler().toggle();
    platform.displays.screens.pop_back();
    platform.displays.fireScreensChanged();
    const Rect frame = m.ruler().frame();
    EXPECT_EQ(*m.ruler().shownFrame(), frame);
    EXPECT_TRUE(Ruler::isReachable(frame, std::vector<Rect>{m.screens()->front().frame}));
    EXPECT_EQ(frame.origin(), (Point{1000 - 40, 400})); // 40 points of it on the display
    EXPECT_EQ(platform.saved()->rulerX, 960);
}

} // namespace
} // namespace spanlet::testing
