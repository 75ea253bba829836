#include <QRegion>
#include <gtest/gtest.h>
#include <random>

#include <spanlet/draw/qt/OverlayDamage.hpp>

#include "BandedRegion.hpp"

namespace spanlet::test {
namespace {

// Built in one go, the region covers exactly what adding the rectangles one at a time covers
// (overlapping, touching, nested, empty ones), and keeps QRegion's own form: bands sorted top
// to bottom, spans left to right, none overlapping or touching within a band.
TEST(BandedRegion, CoversTheUnionInQRegionsOwnForm) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> at(0, 60);
    std::uniform_int_distribution<int> size(-2, 25);
    for (int round = 0; round < 200; ++round) {
        std::vector<QRect> rects;
        QRegion oneByOne;
        for (int i = 0; i < 1 + round % 40; ++i) {
            rects.emplace_back(at(random), at(random), size(random), size(random));
            oneByOne += rects.back();
        }
        const QRegion banded = draw::bandedRegion(rects);
        ASSERT_TRUE((banded ^ oneByOne).isEmpty()) << "round " << round;
        const QRect* previous = nullptr;
        for (const QRect& r : banded) {
            if (previous != nullptr && previous->top() == r.top()) {
                ASSERT_EQ(previous->bottom(), r.bottom());
                ASSERT_GT(r.left(), previous->right() + 1);
            } else if (previous != nullptr) {
                ASSERT_GT(r.top(), previous->bottom());
            }
            ASSERT_TRUE(banded.contains(r.center()));
            previous = &r;
        }
    }
}

// A moved cross's old and new lines a few pixels apart are repainted as one band: each row
// costs more than the few pixels between them. Farther apart they stay two.
TEST(BandedRegion, NearbyThinStripsAreRepaintedTogether) {
    EXPECT_EQ(draw::mergedRects({QRect(935, 0, 1, 1040), QRect(944, 0, 1, 1040)}),
              std::vector<QRect>{QRect(935, 0, 10, 1040)});
    EXPECT_EQ(draw::mergedRects({QRect(935, 0, 1, 1040), QRect(995, 0, 1, 1040)}).size(), 2U);
}

// Many rectangles to repaint are repainted as their bounds: joining them pairwise, and then
// repainting each with the whole draw list, would take time quadratic in their number.
TEST(BandedRegion, ManyDamagedRectanglesBecomeTheirBounds) {
    std::vector<QRect> columns;
    for (int x = 0; x < 80000; x += 40) {
        columns.emplace_back(x, 0, 1, 1080);
        columns.emplace_back(x, 0, 1, 1080); // drawn before and after a change
    }
    EXPECT_EQ(draw::mergedRects(columns), std::vector<QRect>{QRect(0, 0, 79961, 1080)});
    columns.resize(200);
    EXPECT_EQ(draw::mergedRects(columns).size(), 100U);
}

} // namespace
} // namespace spanlet::test
