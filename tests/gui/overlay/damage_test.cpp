#include <gtest/gtest.h>

#include <spanlet/draw/qt/QPainterBackend.hpp>

namespace spanlet::test {
namespace {

// Whatever a damaged rectangle touches is repainted: rounded out to device pixels, then to
// logical ones, the margin being device pixels.
TEST(DamageRect, RoundsOutToDevicePixelsThenLogicalPixels) {
    using draw::QPainterBackend;
    EXPECT_EQ(QPainterBackend::damageRect({10.25, 20.5, 1, 1}, 1, 1), QRect(9, 19, 4, 4));
    EXPECT_EQ(QPainterBackend::damageRect({100.5, 0, 0.5, 10}, 2, 0), QRect(100, 0, 1, 10));
    EXPECT_EQ(QPainterBackend::damageRect({100, 0, 1, 10}, 2, 1), QRect(99, -1, 3, 12));
}

} // namespace
} // namespace spanlet::test
