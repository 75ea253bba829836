#include <gtest/gtest.h>

#include <spanlet/overlay/qt/OverlayDamage.hpp>
#include <spanlet/overlay/qt/QPainterBackend.hpp>

namespace spanlet::test {
namespace {

using draw::QPainterBackend;

TEST(DamageRect, RoundsOutToDevicePixelsThenLogicalPixels) {
    const struct {
        const char* name;
        Rect rect;
        double scale;
        int margin;
        QRect expected;
    } cases[] = {
        {"aligned, scale 1", {10, 20, 5, 5}, 1, 1, {9, 19, 7, 7}},
        {"fractional, scale 1", {10.25, 20.5, 1, 1}, 1, 1, {9, 19, 4, 4}},
        {"half-point line, scale 2, no margin", {100.5, 0, 0.5, 10}, 2, 0, {100, 0, 1, 10}},
        {"margin is one device pixel, scale 2", {100, 0, 1, 10}, 2, 1, {99, -1, 3, 12}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(QPainterBackend::damageRect(c.rect, c.scale, c.margin), c.expected);
    }
}

TEST(DrawnRects, ACrossIsTwoThinBandsNotItsBoundingBox) {
    draw::DrawList list;
    draw::Path cross;
    cross.addLine({0, 500}, {1000, 500}).addLine({300, 0}, {300, 800});
    list.add(draw::StrokePath{cross, draw::Color::white(), 1});
    const QRegion region = draw::drawnRegion(list, 1);
    EXPECT_TRUE(region.contains(QPoint(0, 500)));
    EXPECT_TRUE(region.contains(QPoint(300, 0)));
    EXPECT_FALSE(region.contains(QPoint(100, 100)));
    qint64 area = 0;
    for (const QRect& r : region) {
        area += static_cast<qint64>(r.width()) * r.height();
    }
    EXPECT_LT(area, 10000);
}

TEST(DrawnRects, AClippedGroupCountsAsItsClip) {
    draw::DrawList list;
    list.add(draw::PushClip{draw::Path::rect({10, 10, 20, 20})});
    for (int i = 0; i < 50; ++i) {
        list.add(draw::FillRect{{10.0 + i % 5, 10.0 + i / 5, 1, 1}, draw::Color::black()});
    }
    list.add(draw::PopClip{});
    EXPECT_EQ(draw::drawnRects(list, 1, 0), (std::vector<QRect>{QRect(10, 10, 20, 20)}));
}

TEST(MergedRects, JoinsAMovedCrossIntoFewRectsCoveringEverything) {
    const std::vector<QRect> before{{-1, 499, 1002, 3}, {299, -1, 3, 802}, {320, 520, 60, 20}};
    const std::vector<QRect> after{{-1, 500, 1002, 3}, {300, -1, 3, 802}, {321, 521, 60, 20}};
    std::vector<QRect> all = before;
    all.insert(all.end(), after.begin(), after.end());
    const std::vector<QRect> merged = draw::mergedRects(all);
    EXPECT_EQ(merged.size(), 3U);
    QRegion covered;
    for (const QRect& r : merged) {
        covered += r;
    }
    for (const QRect& r : all) {
        EXPECT_TRUE(covered.contains(r));
    }
}

} // namespace
} // namespace spanlet::test
