#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include <spanlet/Commands.hpp>
#include <spanlet/MeasurementText.hpp>
#include <spanlet/NumberText.hpp>
#include <spanlet/ShortcutBindings.hpp>
#include <spanlet/Units.hpp>

namespace spanlet {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr auto pt = MeasureUnit::points;
constexpr auto px = MeasureUnit::pixels;

TEST(NumberTextTest, RoundsHalfAwayAndPrintsPlainDigitsWithAPoint) {
    EXPECT_EQ(NumberText::string(1.0 / 3, 2), "0.33");
    EXPECT_EQ(NumberText::string(-2.5, 0), "-3");
    EXPECT_EQ(NumberText::string(12.345, 2), "12.35"); // the product is 1234.5 exactly
    EXPECT_EQ(NumberText::string(-1.005, 2), "-1");    // stored just below the half
    EXPECT_EQ(NumberText::string(std::nan(""), 2), "0");
    // 2^63 no longer fits a 64-bit integer.
    EXPECT_EQ(NumberText::string(9223372036854775808.0, 2), "9223372036854775808");
    EXPECT_EQ(NumberText::string(12.5, -3), "13"); // digits are clamped to 0–15
}

TEST(NumberTextTest, LocaleIsTheOneUnderTest) {
    // The de_DE run sets this so we know the comma locale really was in effect.
    if (std::getenv("SPANLET_EXPECT_COMMA_LOCALE") != nullptr) {
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    }
    EXPECT_EQ(NumberText::string(12.5, 2), "12.5");
}

TEST(DisplayScaleTest, InvalidFactorsRoundingAndSteps) {
    for (const double bad : {0.0, -2.0, std::nan(""), kInf}) {
        EXPECT_EQ(DisplayScale(bad).factor(), 1) << bad;
    }
    const DisplayScale two(2);
    EXPECT_EQ(two.roundedToPixel(10.25), 10.5);
    EXPECT_EQ(two.roundedToPixel(-10.25), -10.5);
    EXPECT_EQ(two.step(MeasureUnit::pixels), 0.5);
    EXPECT_EQ(two.textOfPoints(10.5, MeasureUnit::pixels), "21 px");
    EXPECT_EQ(two.textOfPixels(3, MeasureUnit::points), "1.5 pt");
}

// Plain text is in the user's unit; CSS and SwiftUI are always in points.
TEST(MeasurementTextTest, SizesAndDistances) {
    const DisplayScale two = DisplayScale::retina;
    const auto size = [&](MeasureUnit unit, CopyStyle style) {
        return MeasurementText::size(240, 81, two, unit, style);
    };
    EXPECT_EQ(size(px, CopyStyle::plain), "240 × 81 px");
    EXPECT_EQ(size(pt, CopyStyle::plain), "120 × 40.5 pt");
    EXPECT_EQ(size(px, CopyStyle::css), "width: 120px;\nheight: 40.5px;");
    EXPECT_EQ(size(px, CopyStyle::swiftUI), ".frame(width: 120, height: 40.5)");
    EXPECT_EQ(MeasurementText::size(100, 100, DisplayScale(1.5), pt, CopyStyle::plain),
              "66.67 × 66.67 pt");
    EXPECT_EQ(MeasurementText::distance(1, two, px, CopyStyle::css), "0.5px");
    EXPECT_EQ(MeasurementText::spoken(240, 81, two, pt), "120 by 40.5 points");
}

// Open sides still count; a bad scale counts as 1; extreme distances do not overflow.
TEST(MeasurementTextTest, CrossTexts) {
    Cross c{0, 0, 0, 0, 0, 0, 20, 221, 3, 4, 2, true, false, true, false};
    EXPECT_EQ(MeasurementText::distances(c, pt), "left 10 · right 110.5 · up 1.5 · down 2 pt");
    EXPECT_EQ(MeasurementText::cross(c, px, CopyStyle::plain), "241 × 7 px");
    EXPECT_EQ(MeasurementText::cross(c, pt, CopyStyle::css), "width: 120.5px;\nheight: 3.5px;");
    c.scale = std::nan("");
    EXPECT_EQ(MeasurementText::cross(c, pt, CopyStyle::plain), "241 × 7 pt");

    c.left = c.right = std::numeric_limits<std::int64_t>::max();
    c.up = c.down = std::numeric_limits<std::int64_t>::min();
    const std::string text = MeasurementText::cross(c, px, CopyStyle::plain);
    EXPECT_NE(text.find(" × -"), std::string::npos);
}

using Modifiers = Shortcut::Modifiers;

TEST(ShortcutTextTest, DistinctDefaultsAndModifiersInFixedOrder) {
    EXPECT_EQ(title(MensorCommand::toggleRuler), "Show or Hide the Ruler");
    const Shortcut ruler = shortcut(MensorCommand::toggleRuler);
    EXPECT_EQ(ruler.display(), "Ctrl+Shift+R");
    EXPECT_EQ(ruler.spoken(), "Control Shift R");
    std::unordered_set<Shortcut> shortcuts; // no two commands grab the same key
    for (MensorCommand c : allCases<MensorCommand>) {
        shortcuts.insert(shortcut(c));
    }
    EXPECT_EQ(shortcuts.size(), allCases<MensorCommand>.size());

    // Written in another order than printed.
    const Shortcut all{
        0, {Modifiers::command, Modifiers::shift, Modifiers::option, Modifiers::control}, "A"};
    EXPECT_EQ(all.display(), "Ctrl+Alt+Shift+Super+A");
    EXPECT_EQ(all.spoken(), "Control Alt Shift Super A");
    const Shortcut unknownBits{0, Modifiers(0x0201U), "A"}; // only shift is a member
    EXPECT_EQ(unknownBits.display(), "Shift+A");
    EXPECT_EQ(unknownBits.spoken(), "Shift A");
    EXPECT_EQ((Shortcut{0, {}, "A"}.display()), "A");
}

// What the user may record: a letter or digit with Ctrl, Alt or Super; it takes the table's
// key code, so a recorded default equals the default.
TEST(ShortcutBindingsTest, UserShortcutsNeedAHoldingModifierAndALetterOrDigit) {
    const Modifiers ctrlShift{Modifiers::control, Modifiers::shift};
    EXPECT_EQ(userShortcut("r", ctrlShift), shortcut(MensorCommand::toggleRuler));
    EXPECT_EQ(userShortcut("0", {Modifiers::command})->keyCode, 29U);
    for (const auto& [key, mods] :
         std::vector<std::pair<const char*, Modifiers>>{{"R", {}},
                                                        {"R", {Modifiers::shift}},
                                                        {"RR", ctrlShift},
                                                        {"", ctrlShift},
                                                        {"-", ctrlShift},
                                                        {"R", Modifiers(0x1201U)}}) {
        EXPECT_FALSE(userShortcut(key, mods)) << key << " " << mods.rawValue();
    }
}

// Two commands on one combination: both name each other, only the first is registered and
// carries out a press of it; a cleared command is neither registered, shared nor pressed.
TEST(ShortcutBindingsTest, SharedCombinationGoesToTheFirstCommand) {
    ShortcutBindings b;
    b.set(MensorCommand::clearMeasurements, shortcut(MensorCommand::editGuides));
    b.set(MensorCommand::pickColor, std::nullopt);
    EXPECT_EQ(b.sharing(MensorCommand::editGuides), std::vector{MensorCommand::clearMeasurements});
    EXPECT_EQ(b.sharing(MensorCommand::clearMeasurements), std::vector{MensorCommand::editGuides});
    EXPECT_TRUE(b.sharing(MensorCommand::pickColor).empty());
    std::vector<MensorCommand> registered;
    for (const Binding& r : b.registrable()) {
        registered.push_back(r.command);
    }
    EXPECT_EQ(registered.size(), allCases<MensorCommand>.size() - 2);
    EXPECT_EQ(std::count(registered.begin(), registered.end(), MensorCommand::editGuides), 1);
    EXPECT_FALSE(b.allDefault());
    const Modifiers ctrlShift{Modifiers::control, Modifiers::shift};
    EXPECT_EQ(b.commandFor("e", ctrlShift), MensorCommand::editGuides);
    EXPECT_EQ(b.commandFor("R", ctrlShift), MensorCommand::toggleRuler);
    EXPECT_FALSE(b.commandFor("c", ctrlShift));
    EXPECT_FALSE(b.commandFor("r", {Modifiers::control}));
}

} // namespace
} // namespace spanlet
