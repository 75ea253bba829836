#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_set>

#include <spanlet/Color.hpp>
#include <spanlet/ColorText.hpp>

namespace spanlet {
namespace {

// ---- The value ---------------------------------------------------------------------------

TEST(SRGBColorTest, ConstructorClampsEveryComponent) {
    const SRGBColor c{1.5, -1, 0.5, 2};
    EXPECT_EQ(c.red, 1);
    EXPECT_EQ(c.green, 0);
    EXPECT_EQ(c.blue, 0.5);
    EXPECT_EQ(c.alpha, 1);
    const SRGBColor odd{std::nan(""), std::numeric_limits<double>::infinity(), -0.0, 1e-300};
    EXPECT_EQ(odd.red, 0);
    EXPECT_EQ(odd.green, 1);
    EXPECT_FALSE(std::signbit(odd.blue));
    EXPECT_EQ(odd.alpha, 1e-300);
}

TEST(SRGBColorTest, PixelRoundTrip) {
    const RGBA pixel{26, 51, 77, 128};
    const SRGBColor c = SRGBColor::fromRGBA(pixel);
    EXPECT_DOUBLE_EQ(c.green, 51 / 255.0);
    EXPECT_EQ(c.rgba(), pixel);
    // 0.1 × 255 = 25.5 rounds away from zero; 0.998 × 255 = 254.49 rounds down.
    EXPECT_EQ((SRGBColor{0.1, 0.2, 0.3, 0.998}.rgba()), (RGBA{26, 51, 77, 254}));
}

TEST(SRGBColorTest, LuminanceAndContrast) {
    const SRGBColor white{1, 1, 1, 1};
    const SRGBColor black{0, 0, 0, 1};
    EXPECT_DOUBLE_EQ(white.luminance(), 1);
    EXPECT_DOUBLE_EQ(black.luminance(), 0);
    EXPECT_DOUBLE_EQ((SRGBColor{1, 1, 1, 0}.luminance()), 1); // alpha ignored
    EXPECT_DOUBLE_EQ(ColorText::contrast(white, black), 21);
    EXPECT_DOUBLE_EQ(ColorText::contrast(black, white), 21);
    EXPECT_DOUBLE_EQ(ColorText::contrast(SRGBColor{0.3, 0.6, 0.9, 1}, {0.3, 0.6, 0.9, 1}), 1);
    // Linear segment below 0.04045: 0.04 ÷ 12.92.
    EXPECT_DOUBLE_EQ((SRGBColor{0, 0.04, 0, 1}.luminance()), 0.7152 * 0.04 / 12.92);
}

// ---- Colour text -------------------------------------------------------------------------

struct ColorTextCase {
    const char* name;
    SRGBColor color;
    ColorStyle style;
    const char* text;
};

class ColorTextStyleTest : public ::testing::TestWithParam<ColorTextCase> {};

TEST_P(ColorTextStyleTest, Text) {
    const auto& c = GetParam();
    EXPECT_EQ(ColorText::string(c.color, c.style), c.text);
}

const SRGBColor kOpaque{0.1, 0.2, 0.3, 1};
const SRGBColor kHalf{0.1, 0.2, 0.3, 0.5};
const SRGBColor kAlmost{0.1, 0.2, 0.3, 0.998};

INSTANTIATE_TEST_SUITE_P(
    Cases, ColorTextStyleTest,
    ::testing::Values(
        ColorTextCase{"hex_opaque", kOpaque, ColorStyle::hex, "#1A334D"},
        ColorTextCase{"hex_translucent", kHalf, ColorStyle::hex, "#1A334D80"},
        ColorTextCase{"hex_almost_opaque", kAlmost, ColorStyle::hex, "#1A334DFE"},

        ColorTextCase{"hex_clear_black", {0, 0, 0, 0}, ColorStyle::hex, "#00000000"},
        ColorTextCase{"rgb_opaque", kOpaque, ColorStyle::rgb, "rgb(26, 51, 77)"},

        ColorTextCase{"rgb_translucent", kHalf, ColorStyle::rgb, "rgba(26, 51, 77, 0.5)"},
        ColorTextCase{"rgb_almost_opaque", kAlmost, ColorStyle::rgb, "rgba(26, 51, 77, 1)"},
        ColorTextCase{"swiftui_opaque", kOpaque, ColorStyle::swiftUI,
                      "Color(red: 0.1, green: 0.2, blue: 0.3)"},

        ColorTextCase{"swiftui_three_decimals",
                      {0.12345, 0.5, 1, 1},
                      ColorStyle::swiftUI,
                      "Color(red: 0.123, green: 0.5, blue: 1)"},
        ColorTextCase{"nscolor_opaque", kOpaque, ColorStyle::nsColor,
                      "NSColor(srgbRed: 0.1, green: 0.2, blue: 0.3, alpha: 1)"},
        ColorTextCase{"nscolor_translucent", kHalf, ColorStyle::nsColor,
                      "NSColor(srgbRed: 0.1, green: 0.2, blue: 0.3, alpha: 0.5)"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ColorTextTest, Spoken) {
    EXPECT_EQ(ColorText::spoken(kOpaque), "red 26, green 51, blue 77");
    EXPECT_EQ(ColorText::spoken(kHalf), "red 26, green 51, blue 77, opacity 50 percent");
    EXPECT_EQ(ColorText::spoken(kAlmost), "red 26, green 51, blue 77, opacity 100 percent");
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

// ---- Hex parsing -------------------------------------------------------------------------

struct HexCase {
    const char* name;
    std::string text;
    std::optional<RGBA> bytes;
};

class SRGBColorHexTest : public ::testing::TestWithParam<HexCase> {};

TEST_P(SRGBColorHexTest, Parses) {
    const auto& c = GetParam();
    const auto color = SRGBColor::fromHex(c.text);
    ASSERT_EQ(color.has_value(), c.bytes.has_value());
    if (color) {
        EXPECT_EQ(color->rgba(), *c.bytes);
    }
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Accepted, SRGBColorHexTest,
    ::testing::Values(HexCase{"three_digits", "#ABC", RGBA{0xAA, 0xBB, 0xCC, 255}},

                      HexCase{"tabs_and_line_breaks", "\t#ABC\r\n", RGBA{0xAA, 0xBB, 0xCC, 255}},
                      HexCase{"no_break_space", "\u00A0ABC\u3000", RGBA{0xAA, 0xBB, 0xCC, 255}},
                      HexCase{"four_digits", "1a2f", RGBA{0x11, 0xAA, 0x22, 0xFF}},
                      HexCase{"six_lower", "#1a2b3c", RGBA{0x1A, 0x2B, 0x3C, 255}},

                      HexCase{"eight_digits", "#1A2B3C80", RGBA{0x1A, 0x2B, 0x3C, 0x80}}),
    [](const auto& row) { return std::string(row.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Rejected, SRGBColorHexTest,
    ::testing::Values(HexCase{"empty", "", std::nullopt}, HexCase{"blank", "   ", std::nullopt},
                      HexCase{"two_hashes", "##ABC", std::nullopt},
                      HexCase{"five_digits", "#ABCDE", std::nullopt},

                      HexCase{"nine_digits", "#ABCDEF012", std::nullopt},
                      HexCase{"not_hex", "GG0000", std::nullopt},
                      HexCase{"plus_sign", "+ABCDEF", std::nullopt},

                      HexCase{"minus_sign", "-ABCDE", std::nullopt},
                      HexCase{"zero_x_prefix", "0xABCDEF", std::nullopt},

                      HexCase{"inner_spaces", "AB CD EF", std::nullopt},

                      HexCase{"embedded_nul", "AB\0CDE"s, std::nullopt},
                      HexCase{"trailing_nul", "ABCDEF\0"s, std::nullopt},
                      HexCase{"non_ascii", "#ABÇ", std::nullopt},
                      HexCase{"hash_after_space_inside", "AB #CD", std::nullopt}),
    [](const auto& row) { return std::string(row.param.name); });

// ---- Encoding ----------------------------------------------------------------------------

TEST(SRGBColorJsonTest, RoundTripsExactly) {
    const SRGBColor c{0.1, 0.2, 0.3, 0.998};
    EXPECT_EQ(encode(c), R"({"alpha":0.998,"blue":0.3,"green":0.2,"red":0.1})");
    EXPECT_EQ(decode<SRGBColor>(std::string_view(encode(c))), c);
}

TEST(SRGBColorJsonTest, ReadsWithoutClamping) {
    const auto c =
        decode<SRGBColor>(std::string_view(R"({"red":2,"green":-1,"blue":0.5,"alpha":1e300})"));
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(c->red, 2);
    EXPECT_EQ(c->green, -1);
    EXPECT_EQ(c->alpha, 1e300);
}

TEST(SRGBColorJsonTest, RejectsMissingKeysAndNonNumbers) {
    for (const char* text :
         {R"({"red":1,"green":1,"blue":1})", R"({"red":1,"green":1,"blue":1,"alpha":"1"})",
          R"({"red":1,"green":1,"blue":null,"alpha":1})",
          R"({"red":true,"green":1,"blue":1,"alpha":1})", R"([1,1,1,1])", R"("#FFFFFF")", ""}) {
        EXPECT_EQ(decode<SRGBColor>(std::string_view(text)), std::nullopt) << text;
    }
}

} // namespace
} // namespace spanlet
