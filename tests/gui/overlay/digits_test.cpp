#include <QFont>
#include <QFontMetricsF>
#include <gtest/gtest.h>

#include "GlyphLine.hpp"

namespace spanlet::test {
namespace {

// In a font whose digits differ in width, a number laid out with tabular digits keeps its width
// as its digits change, each digit centred in a cell as wide as the widest digit, and the
// glyphs stand where the measured advances put them.
TEST(TabularDigitsTest, NumbersKeepTheirWidthAndGlyphsStandAtTheMeasuredAdvances) {
    // GNOME's UI font, whose digits differ in width.
    QFont font(QStringLiteral("Cantarell"));
    font.setPixelSize(13);
    font.setKerning(false);
    const QFontMetricsF metrics(font);
    const double one = metrics.horizontalAdvance(QStringLiteral("1"));
    ASSERT_NE(one, metrics.horizontalAdvance(QStringLiteral("8"))) << "digits of one width";
    draw::GlyphTable table(font, true);
    const auto a = table.layout("188 × 111");
    const auto b = table.layout("100 × 808");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->width, b->width);
    EXPECT_EQ(table.measure("188 × 111"), a->width);
    const auto ones = table.layout("1111");
    const auto eights = table.layout("8888");
    ASSERT_TRUE(ones && eights);
    EXPECT_EQ(ones->width, eights->width);
    const double cell = ones->width / 4;
    const QList<QPointF> at = ones->glyphs.positions();
    ASSERT_EQ(at.size(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ(at[i].x(), i * cell + (cell - one) / 2) << i;
    }
    // Without tabular digits the same texts differ.
    draw::GlyphTable proportional(font);
    EXPECT_NE(proportional.measure("1111"), proportional.measure("8888"));
}

// Only a pair the font joins needs the shaper: Cantarell joins "f" and "i", not "f" and "t",
// so the loupe's line "… Ctrl+Shift+C copies" is laid out glyph by glyph.
TEST(GlyphTableTest, OnlyPairsTheFontJoinsNeedTheShaper) {
    QFont font(QStringLiteral("Cantarell"));
    font.setPixelSize(13);
    font.setKerning(false);
    draw::GlyphTable table(font);
    EXPECT_TRUE(table.layout("#FFFFFF  Ctrl+Shift+C copies"));
    EXPECT_FALSE(table.layout("Office"));
}

} // namespace
} // namespace spanlet::test
