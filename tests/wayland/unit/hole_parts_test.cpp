#include <gtest/gtest.h>

#include <spanlet/wayland/HoleParts.hpp>

namespace spanlet::wayland {
namespace {

TEST(HoleParts, keepsOnlyTheDrawnRunsOfAHole) {
    constexpr int w = 200;
    constexpr int h = 100;
    std::vector<std::uint32_t> canvas(w * h, 0);
    const auto draw = [&](int x, int y) { canvas[y * w + x] = 0x80000000U; };

    // A row strip two pixels high: runs 32 apart or more stay apart, closer ones join, and the
    // strip's height is kept whichever of its rows is drawn.
    draw(10, 41);
    draw(12, 40);
    draw(100, 40);
    draw(120, 41);
    EXPECT_EQ(drawnParts({0, 40, w, 2}, canvas, w, h),
              (std::vector<PixelRect>{{10, 40, 3, 2}, {100, 40, 21, 2}}));
    // A column strip, clipped to the canvas; nothing drawn in it, nothing to clear.
    draw(150, 5);
    draw(150, 99);
    EXPECT_EQ(drawnParts({150, -10, 1, 200}, canvas, w, h, 8),
              (std::vector<PixelRect>{{150, 5, 1, 1}, {150, 99, 1, 1}}));
    EXPECT_TRUE(drawnParts({151, 0, 1, h}, canvas, w, h).empty());
    EXPECT_TRUE(drawnParts({0, 40, w, 2}, canvas, w, 1).empty()); // a hole below the canvas
}

} // namespace
} // namespace spanlet::wayland
