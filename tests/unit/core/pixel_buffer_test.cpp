#include <gtest/gtest.h>
#include <tuple>

#include <spanlet/PixelBuffer.hpp>
#include <spanlet/Uuid.hpp>

namespace spanlet {
namespace {

TEST(RGBATest, DifferenceBetweenAndMix) {
    EXPECT_DOUBLE_EQ(RGBA(10, 10, 10, 255).difference(RGBA(10, 10, 10, 204)), 0.2);
    const RGBA lo(10, 20, 30, 255);
    const RGBA hi(20, 40, 60, 255);
    EXPECT_FALSE(RGBA(9, 20, 30, 255).isBetween(lo, hi, 0));
    EXPECT_TRUE(RGBA(9, 20, 30, 255).isBetween(hi, lo, 1));
    EXPECT_EQ(RGBA::black.mixed(RGBA::white, 0.5), RGBA(128, 128, 128, 255));
    EXPECT_EQ(RGBA::white.mixed(RGBA::black, 2), RGBA::black);
}

TEST(PixelBufferTest, ShapesPatchesAndBytes) {
    EXPECT_TRUE(PixelBuffer(-3, 2, RGBA::white).pixels().empty());
    EXPECT_TRUE(PixelBuffer(4, 3, RGBA::black).row(3).empty());
    // A pixel count that does not match yields an empty buffer rather than a broken invariant.
    const PixelBuffer wrong(2, 2, std::vector<RGBA>(3));
    EXPECT_EQ(wrong.width() * wrong.height(), 0);

    PixelBuffer src(10, 10, RGBA::black);
    src(2, 1) = RGBA::white;
    const PixelBuffer p = src.patch(0, 0, 2); // the top two rows and left two columns lie outside
    ASSERT_EQ(std::tuple(p.width(), p.height()), std::tuple(5, 5));
    EXPECT_EQ(std::tuple(p(1, 4), p(4, 1)), std::tuple(RGBA::clear, RGBA::clear));
    EXPECT_EQ(std::tuple(p(4, 3), p(3, 3)), std::tuple(RGBA::white, RGBA::black));

    const std::vector<std::uint8_t> bytes{64, 0, 0, 128, 9,   8,   7,   0,
                                          1,  2, 3, 255, 200, 200, 200, 100};
    const auto b = PixelBuffer::fromPremultipliedBytes(2, 2, bytes);
    ASSERT_TRUE(b);
    EXPECT_EQ((*b)(0, 0), RGBA(128, 0, 0, 128));
    EXPECT_EQ((*b)(1, 0), RGBA(9, 8, 7, 0));         // fully transparent keeps its bytes
    EXPECT_EQ((*b)(1, 1), RGBA(255, 255, 255, 100)); // clamped
    EXPECT_FALSE(PixelBuffer::fromPremultipliedBytes(3, 2, bytes));
}

TEST(UuidTest, RandomTextRoundTripAndHostileInput) {
    const Uuid u = Uuid::random();
    EXPECT_NE(u, Uuid::random());
    EXPECT_EQ(u.string()[14], '4'); // version 4
    // Written upper case, read in either case.
    const auto lower = Uuid::parse("6f1a2b3c-0000-4000-8000-00000000abcd");
    ASSERT_TRUE(lower);
    EXPECT_EQ(lower->string(), "6F1A2B3C-0000-4000-8000-00000000ABCD");
    for (const char* bad :
         {"", "6f1a2b3c00000-4000-8000-00000000abcd", "6f1a2b3c-0000-4000-8000-00000000abcg"}) {
        EXPECT_FALSE(Uuid::parse(bad)) << bad;
    }
}

} // namespace
} // namespace spanlet
