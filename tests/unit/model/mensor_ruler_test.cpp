#include <cmath>
#include <limits>

#include <spanlet/Ruler.hpp>

#include "ModelFixture.hpp"

namespace spanlet::testing {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class RulerTest : public ModelTest {};

TEST_F(RulerTest, ToggleAnnouncesWithoutAMessage) {
    addDisplay(1, {0, 0, 1440, 900}, 1);
    Mensor& m = started();
    m.toggleRuler();
    EXPECT_TRUE(*m.rulerVisible());
    EXPECT_EQ(platform.announcer.last(), "Ruler shown");
    m.toggleRuler();
    EXPECT_EQ(platform.announcer.last(), "Ruler hidden");
    EXPECT_FALSE(m.toast()->has_value());
}

struct FrameCase {
    const char* name;
    bool withDisplays;
    RulerOrientation orientation;
    double length;
    std::optional<double> x;
    std::optional<double> y;
    Rect expected;
};

class RulerFrameTest : public ModelTest, public ::testing::WithParamInterface<FrameCase> {};

TEST_P(RulerFrameTest, SizesAndPlacesTheRuler) {
    const FrameCase& c = GetParam();
    if (c.withDisplays) {
        addDisplay(1, {0, 0, 1440, 900}, 2);
        addDisplay(2, {1440, 0, 2560, 1440}, 1);
        pointAt({2000, 500}); // on the second display
    }
    Preferences p = welcomedPrefs();
    p.rulerOrientation = c.orientation;
    p.rulerLength = c.length;
    p.rulerX = c.x;
    p.rulerY = c.y;
    const Rect frame = started(p).rulerFrame();
    EXPECT_EQ(frame, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Frames, RulerFrameTest,
                         ::testing::Values(FrameCase{"no_display_centred_on_fallback",
                                                     false,
                                                     RulerOrientation::horizontal,
                                                     600,
                                                     std::nullopt,
                                                     std::nullopt,
                                                     {420, 430, 600, 40}},

                                           FrameCase{"centred_on_pointer_display",
                                                     true,
                                                     RulerOrientation::horizontal,
                                                     600,
                                                     std::nullopt,
                                                     std::nullopt,
                                                     {2420, 700, 600, 40}},
                                           FrameCase{"stored_position",
                                                     true,
                                                     RulerOrientation::horizontal,
                                                     600,
                                                     10.5,
                                                     20,
                                                     {10.5, 20, 600, 40}},
                                           FrameCase{"only_x_stored_centres",
                                                     true,
                                                     RulerOrientation::horizontal,
                                                     600,
                                                     10.5,
                                                     std::nullopt,
                                                     {2420, 700, 600, 40}},
                                           FrameCase{"infinite_position_centres",
                                                     true,
                                                     RulerOrientation::horizontal,
                                                     600,
                                                     5,
                                                     -kInf,
                                                     {2420, 700, 600, 40}}),
                         [](const auto& row) { return std::string(row.param.name); });

struct LengthCase {
    const char* name;
    bool withDisplay;
    Size display;
    double requested;
    double stored;
};

class RulerLengthTest : public ModelTest, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(RulerLengthTest, ClampsAndRounds) {
    const LengthCase& c = GetParam();
    if (c.withDisplay) {
        addDisplay(1, {0, 0, c.display.width, c.display.height}, 1);
    }
    Mensor& m = started();
    m.setRulerLength(c.requested);
    EXPECT_DOUBLE_EQ(m.prefs()->rulerLength, c.stored);
    EXPECT_DOUBLE_EQ(platform.saved().value_or(Preferences{}).rulerLength, c.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, RulerLengthTest,
    ::testing::Values(LengthCase{"short_becomes_80", true, {2560, 1440}, 50, 80},
                      LengthCase{"half_rounds_up", true, {2560, 1440}, 300.5, 301},
                      LengthCase{"nan_keeps_length", true, {2560, 1440}, kNaN, 600}),
    [](const auto& row) { return std::string(row.param.name); });

struct MoveCase {
    const char* name;
    Point to;
    Point stored;
};

class MoveRulerTest : public ModelTest, public ::testing::WithParamInterface<MoveCase> {};

// Mixed scales: a scale-1 display, and a scale-2 display to its right.
TEST_P(MoveRulerTest, StoresWholeDevicePixelsOfTheDisplayUnderTheCentre) {
    addDisplay(1, {0, 0, 1000, 800}, 1);
    addDisplay(2, {1000, 0, 1000, 800}, 2);
    Preferences p = welcomedPrefs();
    p.rulerLength = 200;
    Mensor& m = started(p);
    m.moveRuler(GetParam().to);
    EXPECT_EQ(m.prefs()->rulerX, std::optional<double>(GetParam().stored.x));
    EXPECT_EQ(m.prefs()->rulerY, std::optional<double>(GetParam().stored.y));
}

INSTANTIATE_TEST_SUITE_P(
    Moves, MoveRulerTest,
    ::testing::Values(MoveCase{"scale2_up_to_half", {1400.3, 10.3}, {1400.5, 10.5}},

                      MoveCase{"scale1_whole_points", {100.3, 10.5}, {100, 11}},
                      MoveCase{"far_left_keeps_grip_on_screen", {-5000, 100}, {-160, 100}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(RulerTest, MoveWithoutDisplaysUsesTheStandardScale) {
    Mensor& m = started();
    m.moveRuler({10.4, -3.5});
    EXPECT_EQ(m.prefs()->rulerX, std::optional<double>(10));
    EXPECT_EQ(m.prefs()->rulerY, std::optional<double>(-4)); // half away from zero
}

TEST_F(RulerTest, MoveToAnUnusablePlaceChangesNothing) {
    addDisplay(1, {0, 0, 1000, 800}, 1);
    Mensor& m = started();
    m.moveRuler({kNaN, 10});
    m.moveRuler({10, kInf});
    EXPECT_FALSE(m.prefs()->rulerX.has_value());
    EXPECT_EQ(platform.saves(), 0);
}

TEST_F(RulerTest, EnsureReachablePullsARulerBackFromAnUnpluggedDisplay) {
    addDisplay(1, {0, 0, 1000, 800}, 1);
    addDisplay(2, {1000, 0, 1000, 800}, 2);
    Preferences p = welcomedPrefs();
    p.rulerLength = 300;
    p.rulerX = 1500;
    p.rulerY = 400;
    Mensor& m = started(p);
    m.ensureRulerReachable();
    EXPECT_EQ(platform.saves(), 0); // reachable: left alone

    platform.displays.screens.pop_back(); // unplug the second display
    platform.displays.fireScreensChanged();
    m.ensureRulerReachable();
    const Rect frame = m.rulerFrame();
    const std::vector<Rect> remaining{m.screens()->front().frame};
    EXPECT_TRUE(Ruler::isReachable(frame, remaining));
    EXPECT_DOUBLE_EQ(frame.x, 1000 - 40.0); // 40 points of it on the display
    EXPECT_DOUBLE_EQ(frame.y, 400);
}

TEST_F(RulerTest, EnsureReachableStoresACentredRulerWithoutAPosition) {
    addDisplay(1, {0, 0, 1000, 800}, 2);
    Mensor& m = started();
    m.ensureRulerReachable();
    EXPECT_EQ(m.prefs()->rulerX, std::optional<double>(200));
    EXPECT_EQ(m.prefs()->rulerY, std::optional<double>(380));
}

TEST_F(RulerTest, EnsureReachableWithoutDisplaysStoresTheFallbackCentre) {
    Mensor& m = started();
    m.ensureRulerReachable();
    EXPECT_EQ(m.prefs()->rulerX, std::optional<double>(420));
    EXPECT_EQ(m.prefs()->rulerY, std::optional<double>(430));
}

TEST_F(RulerTest, EnsureReachableReplacesAnAbsurdStoredPosition) {
    addDisplay(1, {0, 0, 1000, 800}, 1);
    Preferences p = welcomedPrefs();
    p.rulerX = -1e300;
    p.rulerY = 1e300;
    Mensor& m = started(p);
    m.ensureRulerReachable();
    EXPECT_EQ(m.prefs()->rulerX, std::optional<double>(200));
    EXPECT_EQ(m.prefs()->rulerY, std::optional<double>(380));
}

TEST_F(RulerTest, ResetShowsAHiddenRulerOrAnnouncesTheMove) {
    addDisplay(1, {0, 0, 1000, 800}, 1);
    Preferences p = welcomedPrefs();
    p.rulerX = 5;
    p.rulerY = 5;
    Mensor& m = started(p);
    m.resetRuler();
    EXPECT_TRUE(*m.rulerVisible());
    EXPECT_FALSE(m.prefs()->rulerX.has_value());
    EXPECT_EQ(platform.announcer.spoken, std::vector<std::string>{"Ruler shown"});
    m.moveRuler({5, 5});
    m.resetRuler();
    EXPECT_TRUE(*m.rulerVisible());
    EXPECT_FALSE(platform.saved()->rulerY.has_value());
    EXPECT_EQ(platform.announcer.last(), "Ruler moved to the middle of the display");
}

TEST_F(RulerTest, OrientationFlipsAndIsSaved) {
    Mensor& m = started();
    m.toggleRulerOrientation();
    EXPECT_EQ(platform.saved()->rulerOrientation, RulerOrientation::vertical);
    m.toggleRulerOrientation();
    EXPECT_EQ(m.prefs()->rulerOrientation, RulerOrientation::horizontal);
    EXPECT_TRUE(platform.announcer.spoken.empty());
}

} // namespace
} // namespace spanlet::testing
