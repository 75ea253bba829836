#include <QColor>
#include <array>
#include <gtest/gtest.h>
#include <vector>

#include <spanlet/stillframe/FramePixels.hpp>

using namespace spanlet::stillframe;

namespace {

// A 3 × 2 frame of distinct opaque colours, rows padded to `stride` bytes, the padding and
// fourth bytes 0.
std::vector<std::uint8_t> frame(PixelLayout layout, std::int64_t stride) {
    const std::array<QRgb, 6> colours{0x102030, 0x405060, 0x708090, 0xa0b0c0, 0xd0e0f0, 0x010203};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stride * 2));
    for (std::size_t i = 0; i < colours.size(); ++i) {
        std::uint8_t* pixel = &bytes[(i / 3) * static_cast<std::size_t>(stride) + (i % 3) * 4];
        const QRgb c = colours[i];
        pixel[0] = static_cast<std::uint8_t>(layout == PixelLayout::bgrx ? qBlue(c) : qRed(c));
        pixel[1] = static_cast<std::uint8_t>(qGreen(c));
        pixel[2] = static_cast<std::uint8_t>(layout == PixelLayout::bgrx ? qRed(c) : qBlue(c));
    }
    return bytes;
}

FramePlane plane(const std::vector<std::uint8_t>& bytes, PixelLayout layout, std::int64_t stride) {
    return {bytes.data(), bytes.size(), stride, QSize(3, 2), layout};
}

} // namespace

TEST(FramePixels, EitherChannelOrderGivesTheSameOpaqueColoursPastRowPadding) {
    for (const PixelLayout layout : {PixelLayout::bgrx, PixelLayout::rgbx}) {
        const auto bytes = frame(layout, 16);
        const QImage image = framePixels(plane(bytes, layout, 16), QRect(0, 0, 3, 2));
        ASSERT_EQ(image.size(), QSize(3, 2));
        EXPECT_EQ(image.format(), QImage::Format_RGB32);
        EXPECT_EQ(image.pixel(0, 0), 0xff102030U);
        EXPECT_EQ(image.pixel(2, 0), 0xff708090U);
        EXPECT_EQ(image.pixel(0, 1), 0xffa0b0c0U);
        EXPECT_EQ(image.pixel(2, 1), 0xff010203U);
    }
}

TEST(FramePixels, CropAreaIsCutAndClippedToTheFrame) {
    const auto bytes = frame(PixelLayout::rgbx, 12);
    const QImage image = framePixels(plane(bytes, PixelLayout::rgbx, 12), QRect(1, 1, 5, 5));
    ASSERT_EQ(image.size(), QSize(2, 1));
    EXPECT_EQ(image.pixel(0, 0), 0xffd0e0f0U);
    EXPECT_EQ(image.pixel(1, 0), 0xff010203U);
}

TEST(FramePixels, TooFewBytesOrNoAreaGiveNoImage) {
    const auto bytes = frame(PixelLayout::bgrx, 12);
    FramePlane shorter = plane(bytes, PixelLayout::bgrx, 12);
    shorter.size -= 1;
    EXPECT_TRUE(framePixels(shorter, QRect(0, 0, 3, 2)).isNull());
    EXPECT_TRUE(framePixels(plane(bytes, PixelLayout::bgrx, 8), QRect(0, 0, 3, 2)).isNull());
    EXPECT_TRUE(framePixels(plane(bytes, PixelLayout::bgrx, 12), QRect(3, 0, 1, 1)).isNull());
}
