// The colours view: empty state, the newest colour in detail, the recent grid and its buttons.
#include <QPushButton>

#include "ViewFixture.hpp"

namespace spanlet::testing {
namespace {

using Kind = Windows::Kind;

const SRGBColor kRed(1, 0, 0, 1);
const SRGBColor kTeal = SRGBColor::fromRGBA({0x1A, 0x80, 0x80, 255});
const SRGBColor kGrey = SRGBColor::fromRGBA({0x77, 0x77, 0x77, 255});

class ColorsViewTest : public ViewTest {
protected:
    /// The recent swatches the view shows, in grid order.
    static std::vector<QAbstractButton*> recent(const QWidget* view) {
        std::vector<QAbstractButton*> swatches;
        for (int i = 0;; ++i) {
            auto* s = view->findChild<QAbstractButton*>(QStringLiteral("recent.%1").arg(i));
            if (s == nullptr) {
                return swatches;
            }
            swatches.push_back(s);
        }
    }
    static std::string text(const QWidget* view, const char* name) {
        return utf8(child<QLabel>(view, name)->text());
    }
};

TEST_F(ColorsViewTest, EmptyStateNamesThePickShortcut) {
    started();
    auto view = show(Kind::colors);
    EXPECT_EQ(shownTexts(view.get()),
              (std::vector<std::string>{
                  "No colors yet", "Pick a color with ⌃⇧C or the button below. With edge "
                                   "snapping on, it takes the pixel under the pointer straight "
                                   "from the loupe."}));
    EXPECT_FALSE(child<QPushButton>(view.get(), "clear")->isEnabled());
    EXPECT_EQ(utf8(child<QPushButton>(view.get(), "pickColor")->text()), "Pick Color");
    EXPECT_EQ(child<QPushButton>(view.get(), "pickColor")->shortcut(),
              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
}

TEST_F(ColorsViewTest, NewestColourInDetailAndInEveryStyle) {
    Mensor& m = started();
    auto view = show(Kind::colors);
    m.useColor(kTeal, false); // picked elsewhere: shows at once
    EXPECT_FALSE(child(view.get(), "noColors")->isVisibleTo(view.get()));
    EXPECT_EQ(text(view.get(), "hex"), "#1A8080");
    EXPECT_EQ(utf8(child(view.get(), "swatch")->accessibleName()),
              "Color, red 26, green 128, blue 128");
    EXPECT_TRUE(shows(view.get(), "NSColor"));
    EXPECT_TRUE(shows(view.get(), "Recent"));
    EXPECT_EQ(text(view.get(), "text.rgb"), "rgb(26, 128, 128)");
}

TEST_F(ColorsViewTest, CopyButtonsCopyInTheirStyle) {
    Mensor& m = started();
    m.useColor(kTeal, false);
    auto view = show(Kind::colors);
    auto* copy = child<QPushButton>(view.get(), "copy.nsColor");
    EXPECT_EQ(utf8(copy->accessibleName()), "Copy as NSColor");
    click(copy); // the texts of each style: color_test
    EXPECT_EQ(clipboard().rfind("NSColor(srgbRed: ", 0), 0U);
}

// The ratios and their rounding are checked in view_logic_test; here the line follows the
// newest colour.
TEST_F(ColorsViewTest, ContrastLineOfTheNewestColour) {
    Mensor& m = started();
    auto view = show(Kind::colors);
    m.useColor(kGrey, false);
    EXPECT_EQ(text(view.get(), "contrast"), "Contrast with white 4.5:1 · with black 4.7:1");
}

TEST_F(ColorsViewTest, OneColourGridAndClearReturnsTheEmptyState) {
    Mensor& m = started();
    m.useColor(kRed, false);
    auto view = show(Kind::colors);
    const std::vector<QAbstractButton*> grid = recent(view.get());
    ASSERT_EQ(grid.size(), 1U);
    EXPECT_EQ(utf8(grid[0]->toolTip()), "#FF0000");
    EXPECT_EQ(utf8(grid[0]->accessibleName()), "red 255, green 0, blue 0");
    EXPECT_EQ(grid[0]->size(), QSize(26, 26));
    click(child<QPushButton>(view.get(), "clear"));
    EXPECT_TRUE(m.prefs()->recentColors.empty());
    EXPECT_TRUE(recent(view.get()).empty());
    EXPECT_FALSE(child<QPushButton>(view.get(), "clear")->isEnabled());
    EXPECT_TRUE(shows(view.get(), "No colors yet"));
    EXPECT_TRUE(child<QLabel>(view.get(), "noColorsHint")->text().contains(QStringLiteral("⌃⇧C")));
}

TEST_F(ColorsViewTest, ClickingARecentSwatchReusesIt) {
    Mensor& m = started();
    m.useColor(kGrey, false);
    m.useColor(kTeal, false);
    m.useColor(kRed, false); // recent: red, teal, grey
    m.updatePrefs([](Preferences& p) { p.colorStyle = ColorStyle::rgb; });
    auto view = show(Kind::colors);
    std::vector<QAbstractButton*> grid = recent(view.get());
    ASSERT_EQ(grid.size(), 3U);
    EXPECT_EQ(utf8(grid[2]->toolTip()), "#777777");
    click(grid[2]);
    EXPECT_EQ(m.prefs()->recentColors, (std::vector<SRGBColor>{kGrey, kRed, kTeal}));
    EXPECT_EQ(clipboard(), "rgb(119, 119, 119)");
    EXPECT_TRUE(platform.windows.opened.empty()) << "reusing does not reopen the window";
    // The view follows: the grey is now the newest, first in the grid.
    EXPECT_EQ(text(view.get(), "hex"), "#777777");
    grid = recent(view.get());
    ASSERT_EQ(grid.size(), 3U);
    EXPECT_EQ(utf8(grid[0]->toolTip()), "#777777");
    EXPECT_EQ(utf8(grid[1]->toolTip()), "#FF0000");
}

} // namespace
} // namespace spanlet::testing
