#include <cmath>
#include <gtest/gtest.h>
#include <optional>
#include <string_view>
#include <tuple>

#include <spanlet/Color.hpp>
#include <spanlet/ColorText.hpp>

namespace spanlet {
namespace {

TEST(SRGBColorTest, ClampingBytesAndContrast) {
    const SRGBColor c{std::nan(""), 1.5, -0.0, 0.5};
    EXPECT_EQ(std::tuple(c.red, c.green, c.alpha), std::tuple(0.0, 1.0, 0.5));
    EXPECT_FALSE(std::signbit(c.blue));
    // 0.1 × 255 = 25.5 rounds up; 0.998 × 255 = 254.49 rounds down.
    EXPECT_EQ((SRGBColor{0.1, 0.2, 0.3, 0.998}.rgba()), (RGBA{26, 51, 77, 254}));
    EXPECT_DOUBLE_EQ(ColorText::contrast({1, 1, 1, 0}, {0, 0, 0, 1}), 21); // alpha plays no part
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
    EXPECT_EQ(ColorText::string(almost, hex), "#1A334DFE");
    EXPECT_EQ(ColorText::string(almost, rgb), "rgba(26, 51, 77, 1)");
    EXPECT_EQ(ColorText::string({0.12345, 0.5, 1, 0.999}, swiftUI), // alpha byte 255: opaque
              "Color(red: 0.123, green: 0.5, blue: 1)");
    EXPECT_EQ(ColorText::string(half, swiftUI),
              "Color(red: 0.1, green: 0.2, blue: 0.3, opacity: 0.5)");
    EXPECT_EQ(ColorText::string(opaque, nsColor),
              "NSColor(srgbRed: 0.1, green: 0.2, blue: 0.3, alpha: 1)");
    EXPECT_EQ(ColorText::spoken({0, 0, 0, 0.125}), "red 0, green 0, blue 0, opacity 13 percent");
}

TEST(SRGBColorTest, FromHex) {
    const auto bytes = [](std::string_view text) {
        const auto color = SRGBColor::fromHex(text);
        return color ? std::optional(color->rgba()) : std::nullopt;
    };
    EXPECT_EQ(bytes("\u00A0#ABC\r\n"), (RGBA{0xAA, 0xBB, 0xCC, 255})); // Unicode spaces too
    EXPECT_EQ(bytes("#1A2B3C80"), (RGBA{0x1A, 0x2B, 0x3C, 0x80}));
    for (const char* text : {"", "##ABC", "#ABCDE", "AB CD EF"}) { // no inner white space
        EXPECT_EQ(bytes(text), std::nullopt) << text;
    }
}

TEST(SRGBColorJsonTest, KeysWithoutClampingAndRejectsNonNumbers) {
    EXPECT_EQ(encode(SRGBColor{0.1, 0.2, 0.3, 0.998}),
              R"({"alpha":0.998,"blue":0.3,"green":0.2,"red":0.1})");
    const auto wide =
        decode<SRGBColor>(std::string_view(R"({"red":2,"green":-1,"blue":0.5,"alpha":1e300})"));
    ASSERT_TRUE(wide.has_value());
    EXPECT_EQ(std::tuple(wide->red, wide->green, wide->alpha), std::tuple(2.0, -1.0, 1e300));
    EXPECT_EQ(ColorText::string(*wide, ColorStyle::rgb), "rgb(255, 0, 128)"); // bytes clamp
    for (const char* text :
         {R"({"red":1,"green":1,"blue":1})", R"({"red":1,"green":1,"blue":1,"alpha":"1"})"}) {
        EXPECT_EQ(decode<SRGBColor>(std::string_view(text)), std::nullopt) << text;
    }
}

} // namespace
} // namespace spanlet
