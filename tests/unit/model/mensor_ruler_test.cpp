#include <limits>

#include <spanlet/Ruler.hpp>

#include "ModelFixture.hpp"

namespace spanlet::testing {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class RulerTest : public ModelTest {
protected:
    Mensor& startedAt(std::optional<double> x, std::optional<double> y, double length = 600) {
        Preferences p = welcomedPrefs();
        p.rulerX = x;
        p.rulerY = y;
        p.rulerLength = length;
        return started(p);
    }
};

TEST_F(RulerTest, ToggleAndResetAnnounceWithoutAMessage) {
    addDisplay(1, {0, 0, 1000, 800}, 1);
    Mensor& m = startedAt(5, 5);
    m.resetRuler(); // a hidden ruler is shown
    EXPECT_TRUE(*m.rulerVisible());
    EXPECT_FALSE(m.prefs()->rulerX.has_value());
    EXPECT_EQ(platform.announcer.spoken, std::vector<std::string>{"Ruler shown"});
    m.moveRuler({5, 5});
    m.resetRuler(); // a shown one is moved
    EXPECT_TRUE(*m.rulerVisible());
    EXPECT_FALSE(platform.saved()->rulerY.has_value());
    EXPECT_EQ(platform.announcer.last(), "Ruler moved to the middle of the display");
    m.toggleRuler();
    EXPECT_EQ(platform.announcer.last(), "Ruler hidden");
    EXPECT_FALSE(m.toast()->has_value());

    m.toggleRulerOrientation(); // saved, not announced
    EXPECT_EQ(platform.saved()->rulerOrientation, RulerOrientation::vertical);
    EXPECT_EQ(platform.announcer.spoken.size(), 3U);
}

TEST_F(RulerTest, FrameUsesAUsableStoredPlaceElseCentresOnThePointersDisplay) {
    EXPECT_EQ(started().rulerFrame(), (Rect{420, 430, 600, 40})); // no display at all
    addDisplay(1, {0, 0, 1440, 900}, 2);
    addDisplay(2, {1440, 0, 2560, 1440}, 1);
    pointAt({2000, 500});
    struct Row {
        const char* name;
        std::optional<double> x, y;
        Rect expected;
    };
    for (const Row& r : {Row{"centred", {}, {}, {2420, 700, 600, 40}},
                         Row{"stored", 10.5, 20, {10.5, 20, 600, 40}},
                         Row{"only_x_stored", 10.5, {}, {2420, 700, 600, 40}},
                         Row{"infinite", 5, -kInf, {2420, 700, 600, 40}},
                         Row{"at_limit", -1e6, 1e6, {-1e6, 1e6, 600, 40}},
                         Row{"past_limit", 5, 1e6 + 1, {2420, 700, 600, 40}},
                         Row{"nan", kNaN, 5, {2420, 700, 600, 40}}}) {
        EXPECT_EQ(startedAt(r.x, r.y).rulerFrame(), r.expected) << r.name;
    }
    model->toggleRulerOrientation();
    EXPECT_EQ(model->rulerFrame(), (Rect{2700, 420, 40, 600}));
}

TEST_F(RulerTest, LengthIsClampedAndRoundedAndNaNIsIgnored) {
    addDisplay(1, {0, 0, 2560, 1440}, 1);
    Mensor& m = started();
    struct Row {
        double requested, stored;
    };
    for (const Row& r : {Row{300.5, 301}, Row{kNaN, 301}, Row{1e9, 2560}}) {
        m.setRulerLength(r.requested);
        EXPECT_DOUBLE_EQ(m.prefs()->rulerLength, r.stored) << r.requested;
    }
}

// Mixed scales: a scale-1 display, and a scale-2 display to its right.
TEST_F(RulerTest, MoveStoresWholeDevicePixelsOfTheDisplayUnderTheCentre) {
    Mensor& noDisplay = started(); // the standard scale; halves away from zero
    noDisplay.moveRuler({10.4, -3.5});
    EXPECT_EQ((Point{*noDisplay.prefs()->rulerX, *noDisplay.prefs()->rulerY}), (Point{10, -4}));

    addDisplay(1, {0, 0, 1000, 800}, 1);
    addDisplay(2, {1000, 0, 1000, 800}, 2);
    Mensor& m = startedAt(std::nullopt, std::nullopt, 200);
    struct Row {
        const char* name;
        Point to, stored;
    };
    for (const Row& r : {Row{"scale2_up_to_half", {1400.3, 10.3}, {1400.5, 10.5}},
                         Row{"scale1_whole_points", {100.3, 10.5}, {100, 11}},
                         Row{"far_left_keeps_grip_on_screen", {-5000, 100}, {-160, 100}}}) {
        m.moveRuler(r.to);
        EXPECT_EQ((Point{*m.prefs()->rulerX, *m.prefs()->rulerY}), r.stored) << r.name;
    }
    const int saves = platform.saves(); // an unusable place changes nothing
    m.moveRuler({kNaN, 10});
    m.moveRuler({10, kInf});
    EXPECT_EQ(platform.saves(), saves);
}

TEST_F(RulerTest, EnsureReachableStoresAReachablePlace) {
    started().ensureRulerReachable(); // no display: the fallback centre is stored
    EXPECT_EQ(model->prefs()->rulerY, 430);

    addDisplay(1, {0, 0, 1000, 800}, 1);
    addDisplay(2, {1000, 0, 1000, 800}, 2);
    startedAt(-1e300, 1e300).ensureRulerReachable(); // an absurd place is centred
    EXPECT_EQ(model->prefs()->rulerX, 200);
    EXPECT_EQ(model->prefs()->rulerY, 380);

    Mensor& m = startedAt(1500, 400, 300);
    const int saves = platform.saves();
    m.ensureRulerReachable(); // reachable: left alone
    EXPECT_EQ(platform.saves(), saves);
    platform.displays.screens.pop_back(); // unplug the second display
    platform.displays.fireScreensChanged();
    m.ensureRulerReachable();
    const Rect frame = m.rulerFrame();
    EXPECT_TRUE(Ruler::isReachable(frame, std::vector<Rect>{m.screens()->front().frame}));
    EXPECT_EQ(frame.origin(), (Point{1000 - 40, 400})); // 40 points of it on the display
}

} // namespace
} // namespace spanlet::testing
