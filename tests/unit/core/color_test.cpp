#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

#include <spanlet/Color.hpp>
#include <spanlet/ColorText.hpp>

namespace spanlet {
namespace {

using namespace std::string_literals;

TEST(SRGBColorTest, ConstructorClampsEveryComponent) {
    const SRGBColor c{1.5, -1, 0.5, 2};
    EXPECT_EQ(std::tuple(c.red, c.green, c.blue, c.alpha), std::tuple(1.0, 0.0, 0.5, 1.0));
    const SRGBColor odd{std::nan(""), std::numeric_limits<double>::infinity(), -0.0, 1e-300};
    EXPECT_EQ(odd.red, 0);
    EXPECT_EQ(odd.green, 1);
    EXPECT_FALSE(std::signbit(odd.blue));
    EXPECT_EQ(odd.alpha, 1e-300);
}

TEST(SRGBColorTest, BytesRoundHalfAwayFromZero) {
    const RGBA pixel{26, 51, 77, 128};
    EXPECT_EQ(SRGBColor::fromRGBA(pixel).rgba(), pixel);
    // 0.1 × 255 = 25.5 rounds up; 0.998 × 255 = 254.49 rounds down.
    EXPECT_EQ((SRGBColor{0.1, 0.2, 0.3, 0.998}.rgba()), (RGBA{26, 51, 77, 254}));
}

TEST(SRGBColorTest, LuminanceAndContrast) {
    const SRGBColor white{1, 1, 1, 0}; // alpha plays no part
    const SRGBColor black{0, 0, 0, 1};
    EXPECT_DOUBLE_EQ(ColorText::contrast(white, black), 21);
    EXPECT_DOUBLE_EQ(ColorText::contrast(black, white), 21);
    EXPECT_DOUBLE_EQ(ColorText::contrast(SRGBColor{0.3, 0.6, 0.9, 1}, {0.3, 0.6, 0.9, 1}), 1);
    // Linear segment below 0.04045: 0.04 ÷ 12.92.
    EXPECT_DOUBLE_EQ((SRGBColor{0, 0.04, 0, 1}.luminance()), 0.7152 * 0.04 / 12.92);
}

// Translucent means an alpha byte below 255, so 0.998 (byte 254) carries its alpha while the
// alpha number itself rounds to 1.
TEST(ColorTextTest, EveryStyle) {
    const SRGBColor opaque{0.1, 0.2, 0.3, 1};
    const SRGBColor half{0.1, 0.2, 0.3, 0.5};
    const SRGBColor almost{0.1, 0.2, 0.3, 0.998};
    using enum ColorStyle;
    EXPECT_EQ(ColorText::string(opaque, hex), "#1A334D");
    EXPECT_EQ(ColorText::string(half, hex), "#1A334D80");
    EXPECT_EQ(ColorText::string(almost, hex), "#1A334DFE");
    EXPECT_EQ(ColorText::string({1, 1, 1, 1}, hex), "#FFFFFF");
    EXPECT_EQ(ColorText::string(opaque, rgb), "rgb(26, 51, 77)");
    EXPECT_EQ(ColorText::string(half, rgb), "rgba(26, 51, 77, 0.5)");
    EXPECT_EQ(ColorText::string(almost, rgb), "rgba(26, 51, 77, 1)");
    EXPECT_EQ(ColorText::string(opaque, swiftUI), "Color(red: 0.1, green: 0.2, blue: 0.3)");
    EXPECT_EQ(ColorText::string({0.1, 0.2, 0.3, 0.999}, swiftUI), // alpha byte 255: opaque
              "Color(red: 0.1, green: 0.2, blue: 0.3)");
    EXPECT_EQ(ColorText::string(half, swiftUI),
              "Color(red: 0.1, green: 0.2, blue: 0.3, opacity: 0.5)");
    EXPECT_EQ(ColorText::string({0.12345, 0.5, 1, 1}, swiftUI),
              "Color(red: 0.123, green: 0.5, blue: 1)");
    EXPECT_EQ(ColorText::string(opaque, nsColor),
              "NSColor(srgbRed: 0.1, green: 0.2, blue: 0.3, alpha: 1)");
    EXPECT_EQ(ColorText::string(half, nsColor),
              "NSColor(srgbRed: 0.1, green: 0.2, blue: 0.3, alpha: 0.5)");
    EXPECT_EQ(ColorText::spoken(opaque), "red 26, green 51, blue 77");
    EXPECT_EQ(ColorText::spoken(half), "red 26, green 51, blue 77, opacity 50 percent");
    EXPECT_EQ(ColorText::spoken(almost), "red 26, green 51, blue 77, opacity 100 percent");
    EXPECT_EQ(ColorText::spoken({0, 0, 0, 0.125}), "red 0, green 0, blue 0, opacity 13 percent");
}

TEST(ColorTextTest, OutOfRangeDecodedColoursPrintClampedBytes) {
    SRGBColor c;
    c.red = 7;
    c.green = -3;
    c.blue = 1e300;
    c.alpha = 1;
    EXPECT_EQ(ColorText::string(c, ColorStyle::hex), "#FF00FF");
    EXPECT_EQ(ColorText::string(c, ColorStyle::rgb), "rgb(255, 0, 255)");
}

std::optional<RGBA> hexBytes(std::string_view text) {
    const auto color = SRGBColor::fromHex(text);
    return color ? std::optional(color->rgba()) : std::nullopt;
}

TEST(SRGBColorTest, FromHex) {
    const RGBA abc{0xAA, 0xBB, 0xCC, 255};
    EXPECT_EQ(hexBytes("#ABC"), abc);
    EXPECT_EQ(hexBytes("\t#ABC\r\n"), abc);
    EXPECT_EQ(hexBytes("\u00A0ABC\u3000"), abc); // Unicode spaces are trimmed too
    EXPECT_EQ(hexBytes("1a2f"), (RGBA{0x11, 0xAA, 0x22, 0xFF}));
    EXPECT_EQ(hexBytes("#1a2b3c"), (RGBA{0x1A, 0x2B, 0x3C, 255}));
    EXPECT_EQ(hexBytes("#1A2B3C80"), (RGBA{0x1A, 0x2B, 0x3C, 0x80}));
    // Only plain digits: no sign, no "0x", no inner white space, no NUL.
    for (const std::string& text : {""s, "   "s, "##ABC"s, "#ABCDE"s, "#ABCDEF012"s, "GG0000"s,
                                    "+ABCDEF"s, "0xABCDEF"s, "AB CD EF"s, "AB\0CDE"s, "#ABÇ"s}) {
        EXPECT_EQ(hexBytes(text), std::nullopt) << text;
    }
}

TEST(SRGBColorJsonTest, RoundTripsExactlyWithoutClampingAndRejectsNonNumbers) {
    const SRGBColor c{0.1, 0.2, 0.3, 0.998};
    EXPECT_EQ(encode(c), R"({"alpha":0.998,"blue":0.3,"green":0.2,"red":0.1})");
    EXPECT_EQ(decode<SRGBColor>(std::string_view(encode(c))), c);

    const auto wide =
        decode<SRGBColor>(std::string_view(R"({"red":2,"green":-1,"blue":0.5,"alpha":1e300})"));
    ASSERT_TRUE(wide.has_value());
    EXPECT_EQ(std::tuple(wide->red, wide->green, wide->alpha), std::tuple(2.0, -1.0, 1e300));

    for (const char* text :
         {R"({"red":1,"green":1,"blue":1})", R"({"red":1,"green":1,"blue":1,"alpha":"1"})",
          R"({"red":1,"green":1,"blue":null,"alpha":1})",
          R"({"red":true,"green":1,"blue":1,"alpha":1})", R"([1,1,1,1])", R"("#FFFFFF")", ""}) {
        EXPECT_EQ(decode<SRGBColor>(std::string_view(text)), std::nullopt) << text;
    }
}

} // namespace
} // namespace spanlet
