#include <gtest/gtest.h>

#include "CaptureCache.hpp"

namespace spanlet::x11 {
namespace {

// Squares of 4 MB each, side by side: four fill the cache.
QRect square(int i) {
    return {i * 1024, 0, 1024, 1024};
}

TEST(CaptureCache, StaysWithinItsBoundAndDropsWhatAChangeTouches) {
    static_assert(CaptureCache::maxBytes == std::size_t{4} * 1024 * 1024 * 4);
    CaptureCache cache;
    const QRect frame(0, 0, 8192, 1024);
    for (int i = 0; i < 4; ++i) {
        cache.keep(square(i), frame, square(i), PixelBuffer(1024, 1024, RGBA{1, 2, 3, 255}));
    }
    ASSERT_NE(cache.find(square(0), frame), nullptr); // now the most recently used
    EXPECT_EQ(cache.find(square(0), QRect(0, 0, 4096, 1024)), nullptr) << "another display";
    cache.keep(square(4), frame, square(4), PixelBuffer(1024, 1024, RGBA{}));
    EXPECT_EQ(cache.find(square(1), frame), nullptr) << "the least recently used goes";
    EXPECT_NE(cache.find(square(0), frame), nullptr);
    EXPECT_NE(cache.find(square(4), frame), nullptr);

    cache.forget(QRect(2047, 500, 2, 2)); // the last column of 1 and the first of 2
    EXPECT_EQ(cache.find(square(2), frame), nullptr);
    EXPECT_NE(cache.find(square(3), frame), nullptr);
}

} // namespace
} // namespace spanlet::x11
