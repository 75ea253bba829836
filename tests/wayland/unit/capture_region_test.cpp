#include <gtest/gtest.h>

#include <spanlet/wayland/CaptureRegion.hpp>

namespace spanlet {
namespace {

using CaptureRegion::Region;

TEST(CaptureRegion, coversWholePointsInsideTheOutput) {
    struct Case {
        Rect rect;
        std::optional<Region> region;
    };
    const Case cases[] = {
        {{10, 20, 30, 1}, Region{10, 20, 30, 1}},
        {{10.5, 20.25, 1, 1}, Region{10, 20, 2, 2}},
        {{-5, 790, 20, 20}, Region{0, 790, 15, 10}},
        {{700, 0, 10, 10}, std::nullopt}, // right of the output
        {{0, 0, 0, 0}, std::nullopt},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(CaptureRegion::covering(k.rect, {640, 800}), k.region) << k.rect.x;
    }
}

// A 4 × 2 frame at scale 2 of the region (0, 0, 2, 1), each pixel's red channel its index.
std::vector<std::uint8_t> frameBytes(bool bgr) {
    std::vector<std::uint8_t> bytes;
    for (std::uint8_t i = 0; i < 8; ++i) {
        const std::uint8_t pixel[4] = {bgr ? std::uint8_t{7} : i, 0, bgr ? i : std::uint8_t{7}, 9};
        bytes.insert(bytes.end(), pixel, pixel + 4);
    }
    return bytes;
}

TEST(CaptureRegion, cutsTheRectOutOfTheFrameInEveryByteOrder) {
    constexpr std::uint32_t xrgb = 1;
    constexpr std::uint32_t xbgr = 0x34324258;
    constexpr std::uint32_t rgb565 = 3;
    struct Case {
        std::uint32_t format;
        bool yInvert;
        Rect rect;
        std::vector<std::uint8_t> reds; // row by row; 255 marks a clear pixel
    };
    const Case cases[] = {
        {xrgb, false, {0, 0, 2, 1}, {0, 1, 2, 3, 4, 5, 6, 7}},
        {xbgr, false, {0.5, 0.5, 1, 0.5}, {5, 6}},
        {xrgb, true, {0, 0, 1, 1}, {4, 5, 0, 1}},
        {xrgb, false, {1.5, 0, 1, 0.5}, {3, 255}}, // half outside the frame
    };
    for (const Case& k : cases) {
        const std::vector<std::uint8_t> bytes = frameBytes(k.format == xrgb);
        const CaptureRegion::Frame frame{k.format, 4, 2, 16, k.yInvert, bytes};
        const std::optional<PixelBuffer> pixels =
            CaptureRegion::pixels(frame, {0, 0, 2, 1}, k.rect, 2);
        ASSERT_TRUE(pixels) << k.rect.x;
        std::vector<std::uint8_t> reds;
        for (const RGBA p : pixels->pixels()) {
            reds.push_back(p.a == 0 ? 255 : p.r);
            if (p.a != 0) {
                EXPECT_EQ(p.a, 255) << "X formats are opaque";
                EXPECT_EQ(p.b, 7);
            }
        }
        EXPECT_EQ(reds, k.reds) << k.rect.x << " " << k.format;
    }
    const std::vector<std::uint8_t> bytes = frameBytes(true);
    EXPECT_FALSE(
        CaptureRegion::pixels({rgb565, 4, 2, 16, false, bytes}, {0, 0, 2, 1}, {0, 0, 1, 1}, 2));
    EXPECT_FALSE(
        CaptureRegion::pixels({xrgb, 4, 3, 16, false, bytes}, {0, 0, 2, 1}, {0, 0, 1, 1}, 2))
        << "fewer bytes than the frame says";
}

} // namespace
} // namespace spanlet
