// The colours view: empty state, the newest colour in detail, the recent grid and its buttons.
#include <QPushButton>

#include "ViewFixture.hpp"

namespace spanlet::testing {
namespace {

const SRGBColor kRed(1, 0, 0, 1);
const SRGBColor kTeal = SRGBColor::fromRGBA({0x1A, 0x80, 0x80, 255});
const SRGBColor kGrey = SRGBColor::fromRGBA({0x77, 0x77, 0x77, 255});

/// The tool tips (hex) of the recent swatches, in grid order.
std::vector<std::string> recent(const QWidget* view) {
    std::vector<std::string> tips;
    while (auto* s =
               view->findChild<QAbstractButton*>(QStringLiteral("recent.%1").arg(tips.size()))) {
        tips.push_back(utf8(s->toolTip()));
    }
    return tips;
}

using ColorsViewTest = ViewTest;

TEST_F(ColorsViewTest, ShowsTheNewestColourAndClearReturnsTheEmptyState) {
    Mensor& m = started();
    auto view = show(Kind::colors);
    const std::vector<std::string> empty{
        "No colors yet", "Pick a color with ⌃⇧C or the button below. With edge snapping on, it "
                         "takes the pixel under the pointer straight from the loupe."};
    EXPECT_EQ(shownTexts(view.get()), empty);
    EXPECT_FALSE(child<QPushButton>(view.get(), "clear")->isEnabled());
    EXPECT_EQ(text(view.get(), "pickColor"), "Pick Color");
    EXPECT_EQ(child<QPushButton>(view.get(), "pickColor")->shortcut(),
              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));

    m.useColor(kTeal, false); // picked elsewhere: shows at once
    EXPECT_FALSE(child(view.get(), "noColors")->isVisibleTo(view.get()));
    EXPECT_EQ(text(view.get(), "hex"), "#1A8080");
    EXPECT_EQ(text(view.get(), "text.rgb"), "rgb(26, 128, 128)");
    EXPECT_EQ(utf8(child(view.get(), "swatch")->accessibleName()),
              "Color, red 26, green 128, blue 128");
    EXPECT_EQ(recent(view.get()), std::vector<std::string>{"#1A8080"});
    EXPECT_TRUE(shows(view.get(), "NSColor") && shows(view.get(), "Recent"));
    auto* copy = child<QPushButton>(view.get(), "copy.nsColor");
    EXPECT_EQ(utf8(copy->accessibleName()), "Copy as NSColor");
    click(copy); // the texts of each style: color_test
    EXPECT_EQ(clipboard().rfind("NSColor(srgbRed: ", 0), 0U);

    click(view.get(), "clear");
    EXPECT_TRUE(m.prefs()->recentColors.empty());
    EXPECT_TRUE(recent(view.get()).empty());
    EXPECT_FALSE(child<QPushButton>(view.get(), "clear")->isEnabled());
    EXPECT_EQ(shownTexts(view.get()), empty);
}

TEST_F(ColorsViewTest, ClickingARecentSwatchReusesIt) {
    Mensor& m = started();
    m.useColor(kGrey, false);
    m.useColor(kTeal, false);
    m.useColor(kRed, false);
    auto view = show(Kind::colors);
    ASSERT_EQ(recent(view.get()), (std::vector<std::string>{"#FF0000", "#1A8080", "#777777"}));
    auto* grey = child<QAbstractButton>(view.get(), "recent.2");
    EXPECT_EQ(utf8(grey->accessibleName()), "red 119, green 119, blue 119");
    click(grey); // the grid is rebuilt from inside this swatch's click; copying it in the
                 // chosen style is mensor_colors_test's
    EXPECT_EQ(m.prefs()->recentColors, (std::vector<SRGBColor>{kGrey, kRed, kTeal}));
    EXPECT_TRUE(platform.windows.opened.empty()) << "reusing does not reopen the window";
    // The view follows: grey is the newest, in detail and first in the grid. The ratios and
    // their rounding are view_logic_test's.
    EXPECT_EQ(text(view.get(), "hex"), "#777777");
    EXPECT_EQ(text(view.get(), "contrast"), "Contrast with white 4.5:1 · with black 4.7:1");
    EXPECT_EQ(recent(view.get()), (std::vector<std::string>{"#777777", "#FF0000", "#1A8080"}));
}

} // namespace
} // namespace spanlet::testing
