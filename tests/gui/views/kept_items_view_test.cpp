// The kept-measurements and colours views: rows from the model, copying, reusing and clearing.
#include <QFontMetricsF>
#include <QLayout>
#include <QListWidget>
#include <QPushButton>

#include "TabularLabel.hpp"
#include "ViewFixture.hpp"

namespace spanlet::testing {
namespace {

using KeptItemsViewTest = ViewTest;

TEST_F(KeptItemsViewTest, MeasurementsFollowTheModelCopyTheSelectedOrNewestAndClear) {
    Mensor& m = started();
    auto view = show(Kind::measurements);
    auto* list = child<QListWidget>(view.get(), "measurementList");
    const auto row = [list](int index) { return list->itemWidget(list->item(index)); };
    keepAt({130, 120}); // kept elsewhere (the hot key): shows at once
    keepAt({340, 115});
    keepAt({510, 125});
    EXPECT_EQ(text(row(0), "size"), "60 × 40 pt");
    EXPECT_EQ(text(row(0), "distances"), "left 30 · right 30 · up 20 · down 20 pt");
    EXPECT_EQ(utf8(child(row(1), "remove")->accessibleName()), "Remove measurement 2");
    m.perform(MensorCommand::toggleUnit);
    EXPECT_EQ(text(row(1), "size"), "80 × 30 px");

    list->setCurrentRow(0);
    click(view.get(), "copyPreferred");
    EXPECT_EQ(clipboard(), "60 × 40 px");
    list->setCurrentRow(2);
    m.measurements().remove(
        (*m.measurements().pinned())[2].id); // the selected one goes: the newest is copied
    click(view.get(), "copyPreferred");
    EXPECT_EQ(clipboard(), "80 × 30 px");

    click(view.get(), "clearAll");
    EXPECT_TRUE(m.measurements().pinned()->empty());
    EXPECT_TRUE(m.messages().toast()->has_value())
        << "the model's clearing, not a bare edit of the list";
    EXPECT_EQ(shownTexts(view.get())[0], "No measurements kept");
    EXPECT_FALSE(child<QPushButton>(view.get(), "copyPreferred")->isEnabled());
}

// A measurement row's numbers keep their width as their digits change, in a font whose digits
// differ in width (GNOME's UI font).
TEST(MeasurementRowTest, NumbersDifferingOnlyInDigitsTakeOneWidth) {
    QFont font(QStringLiteral("Cantarell"));
    font.setPixelSize(13);
    const QString wide = QStringLiteral("188 × 111 pt");
    const QString narrow = QStringLiteral("111 × 111 pt");
    const QFontMetricsF metrics(font);
    ASSERT_NE(metrics.horizontalAdvance(wide), metrics.horizontalAdvance(narrow))
        << "digits of one width";
    const auto width = [&font](const QString& text) {
        views::TabularLabel label(text);
        label.setFont(font);
        return label.sizeHint().width();
    };
    EXPECT_EQ(width(wide), width(narrow));
}

TEST_F(KeptItemsViewTest, ColorsShowTheNewestReuseARecentSwatchAndClear) {
    const SRGBColor teal = SRGBColor::fromRGBA({0x1A, 0x80, 0x80, 255});
    const SRGBColor grey = SRGBColor::fromRGBA({0x77, 0x77, 0x77, 255});
    Mensor& m = started();
    auto view = show(Kind::colors);
    EXPECT_EQ(shownTexts(view.get())[0], "No colors yet");
    m.colors().use(grey, false);
    m.colors().use(teal, false); // picked elsewhere: shows at once
    EXPECT_EQ(text(view.get(), "hex"), "#1A8080");
    EXPECT_EQ(text(view.get(), "text.rgb"), "rgb(26, 128, 128)");
    EXPECT_EQ(utf8(child(view.get(), "recent.1")->toolTip()), "#777777");

    click(view.get(), "recent.1"); // the grid is rebuilt from inside this swatch's click
    EXPECT_EQ(m.prefs()->recentColors, (std::vector<SRGBColor>{grey, teal}));
    EXPECT_EQ(text(view.get(), "hex"), "#777777");
    EXPECT_TRUE(platform.windows.opened.empty()) << "reusing does not reopen the window";
    click(view.get(), "copy.nsColor");
    EXPECT_EQ(clipboard().rfind("NSColor(srgbRed: ", 0), 0U);

    click(view.get(), "clear");
    EXPECT_TRUE(m.prefs()->recentColors.empty());
    EXPECT_EQ(view->findChild<QWidget*>(QStringLiteral("recent.0")), nullptr);
    EXPECT_TRUE(child(view.get(), "noColors")->isVisibleTo(view.get()));
}

// Opened empty, the window grows to the height its first colour's rows need.
TEST_F(KeptItemsViewTest, ColorsGrowToFitTheFirstColor) {
    Mensor& m = started();
    auto view = show(Kind::colors);
    m.colors().use(SRGBColor::fromRGBA({0x1A, 0x80, 0x80, 255}), false);
    QCoreApplication::processEvents();
    EXPECT_GE(view->height(), view->layout()->totalMinimumSize().height());
}

} // namespace
} // namespace spanlet::testing
