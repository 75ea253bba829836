#include <gtest/gtest.h>
#include <tuple>

#include <spanlet/PixelBuffer.hpp>
#include <spanlet/Uuid.hpp>

namespace spanlet {
namespace {

TEST(RGBATest, DifferenceBetweenAndMix) {
    EXPECT_EQ(RGBA::black.difference(RGBA::white), 1.0);
    EXPECT_DOUBLE_EQ(RGBA(10, 10, 10, 255).difference(RGBA(10, 10, 10, 204)), 0.2);
    const RGBA lo(10, 20, 30, 255);
    const RGBA hi(20, 40, 60, 255);
    EXPECT_TRUE(lo.isBetween(lo, hi, 0));
    EXPECT_FALSE(RGBA(9, 20, 30, 255).isBetween(lo, hi, 0));
    EXPECT_TRUE(RGBA(9, 20, 30, 255).isBetween(hi, lo, 1));
    EXPECT_EQ(RGBA::black.mixed(RGBA::white, 0.5), RGBA(128, 128, 128, 255));
    EXPECT_EQ(RGBA::black.mixed(RGBA::white, 2), RGBA::white);
    EXPECT_EQ(RGBA::white.mixed(RGBA::black, 2), RGBA::black);
}

TEST(PixelBufferTest, ShapeRowsAndColumns) {
    const PixelBuffer empty(-3, 2, RGBA::white);
    EXPECT_EQ(empty.width(), 0);
    EXPECT_EQ(empty.height(), 2);
    EXPECT_TRUE(empty.pixels().empty());
    EXPECT_TRUE(empty.column(0).empty());

    const PixelBuffer b(4, 3, RGBA::black);
    EXPECT_EQ(b.row(2).size(), 4U);
    EXPECT_TRUE(b.row(3).empty());
    EXPECT_TRUE(b.row(-1).empty());
    EXPECT_EQ(b.column(3).size(), 3U);
    EXPECT_TRUE(b.column(-1).empty());

    // A pixel count that does not match yields an empty buffer rather than a broken invariant.
    const PixelBuffer wrong(2, 2, std::vector<RGBA>(3));
    EXPECT_EQ(wrong.width() * wrong.height(), 0);
}

TEST(PixelBufferTest, PatchAtCornerIsPartlyClear) {
    std::vector<RGBA> pixels;
    for (int i = 0; i < 100; ++i) {
        pixels.push_back(RGBA::gray(static_cast<std::uint8_t>(i)));
    }
    const PixelBuffer src(10, 10, pixels);
    const PixelBuffer p = src.patch(0, 0, 2);
    ASSERT_EQ(p.width(), 5);
    ASSERT_EQ(p.height(), 5);
    for (int i = 0; i < 5; ++i) { // the top two rows and left two columns lie outside
        EXPECT_EQ(std::tuple(p(i, 0), p(i, 1), p(0, i), p(1, i)),
                  std::tuple(RGBA::clear, RGBA::clear, RGBA::clear, RGBA::clear));
    }
    EXPECT_EQ(p(2, 2), src(0, 0));
    EXPECT_EQ(p(4, 3), src(2, 1));
    EXPECT_EQ(src.patch(5, 5, -1).width(), 1);
}

TEST(PixelBufferTest, PremultipliedBytes) {
    const std::vector<std::uint8_t> bytes{64, 0, 0, 128, 9,   8,   7,   0,
                                          1,  2, 3, 255, 200, 200, 200, 100};
    const auto b = PixelBuffer::fromPremultipliedBytes(2, 2, bytes);
    ASSERT_TRUE(b);
    EXPECT_EQ((*b)(0, 0), RGBA(128, 0, 0, 128));
    EXPECT_EQ((*b)(1, 0), RGBA(9, 8, 7, 0)); // fully transparent keeps its bytes
    EXPECT_EQ((*b)(0, 1), RGBA(1, 2, 3, 255));
    EXPECT_EQ((*b)(1, 1), RGBA(255, 255, 255, 100)); // clamped
    EXPECT_FALSE(PixelBuffer::fromPremultipliedBytes(0, 2, bytes));
    EXPECT_FALSE(PixelBuffer::fromPremultipliedBytes(3, 2, bytes));
    EXPECT_EQ(PixelBuffer(1, 1, RGBA(1, 2, 3, 4)).bytes(), (std::vector<std::uint8_t>{1, 2, 3, 4}));
}

TEST(UuidTest, RandomTextRoundTripAndHostileInput) {
    const Uuid u = Uuid::random();
    EXPECT_NE(u, Uuid::random());
    EXPECT_EQ(u.string()[14], '4'); // version 4
    EXPECT_EQ(Uuid::parse(u.string()), u);
    // Written upper case, read in either case.
    const auto lower = Uuid::parse("6f1a2b3c-0000-4000-8000-00000000abcd");
    ASSERT_TRUE(lower);
    EXPECT_EQ(lower->string(), "6F1A2B3C-0000-4000-8000-00000000ABCD");
    for (const char* bad :
         {"", "6f1a2b3c-0000-4000-8000-00000000abc", "6f1a2b3c00000-4000-8000-00000000abcd",
          "6f1a2b3c-0000-4000-8000-00000000abcg", "{6f1a2b3c-0000-4000-8000-00000000ab}"}) {
        EXPECT_FALSE(Uuid::parse(bad)) << bad;
    }
}

} // namespace
} // namespace spanlet
