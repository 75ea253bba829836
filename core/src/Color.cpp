#include <cmath>
#include <cstdint>
#include <string>

#include <spanlet/Color.hpp>

namespace spanlet {

namespace {

double clampedComponent(double value) {
    if (!(value > 0)) {
        return 0; // also NaN
    }
    return value > 1 ? 1 : value;
}

std::uint8_t byteOf(double component) {
    const double v = std::round(component * 255);
    if (!(v > 0)) {
        return 0; // also NaN
    }
    return v >= 255 ? 255 : static_cast<std::uint8_t>(v);
}

double linearised(double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

/// Length in bytes of the white space or line break that starts `text`, 0 if none. Besides
/// ASCII white space this covers the Unicode separators (Zs, Zl, Zp) and NEL, in UTF-8.
std::size_t leadingSpaceLength(std::string_view text) {
    if (text.empty()) {
        return 0;
    }
    const auto b0 = static_cast<unsigned char>(text[0]);
    if (b0 == ' ' || (b0 >= 0x09 && b0 <= 0x0D)) {
        return 1;
    }
    for (std::string_view space :
         {"\u0085", "\u00A0", "\u1680", "\u2028", "\u2029", "\u202F", "\u205F", "\u3000"}) {
        if (text.starts_with(space)) {
            return space.size();
        }
    }
    // U+2000 to U+200A: E2 80 80 to E2 80 8A.
    if (text.size() >= 3 && b0 == 0xE2 && static_cast<unsigned char>(text[1]) == 0x80 &&
        static_cast<unsigned char>(text[2]) >= 0x80 &&
        static_cast<unsigned char>(text[2]) <= 0x8A) {
        return 3;
    }
    return 0;
}

/// Length in bytes of the white space or line break that ends `text`, 0 if none.
std::size_t trailingSpaceLength(std::string_view text) {
    for (std::size_t n = 1; n <= 3 && n <= text.size(); ++n) {
        if (leadingSpaceLength(text.substr(text.size() - n)) == n) {
            return n;
        }
    }
    return 0;
}

std::string_view trimmed(std::string_view text) {
    while (const std::size_t n = leadingSpaceLength(text)) {
        text.remove_prefix(n);
    }
    while (const std::size_t n = trailingSpaceLength(text)) {
        text.remove_suffix(n);
    }
    return text;
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

SRGBColor::SRGBColor(double red_, double green_, double blue_, double alpha_) noexcept
    : red(clampedComponent(red_)), green(clampedComponent(green_)), blue(clampedComponent(blue_)),
      alpha(clampedComponent(alpha_)) {}

SRGBColor SRGBColor::fromRGBA(RGBA pixel) noexcept {
    return {pixel.r / 255.0, pixel.g / 255.0, pixel.b / 255.0, pixel.a / 255.0};
}

std::optional<SRGBColor> SRGBColor::fromHex(std::string_view text) {
    text = trimmed(text);
    if (text.starts_with('#')) {
        text.remove_prefix(1);
    }
    // Only plain digits count: no sign, no "0x", no inner white space, no NUL.
    if (text.size() != 3 && text.size() != 4 && text.size() != 6 && text.size() != 8) {
        return std::nullopt;
    }
    const bool doubled = text.size() <= 4;
    std::array<int, 4> bytes{0, 0, 0, 255};
    const std::size_t count = doubled ? text.size() : text.size() / 2;
    for (std::size_t i = 0; i < count; ++i) {
        const int high = hexDigitValue(text[doubled ? i : 2 * i]);
        const int low = hexDigitValue(text[doubled ? i : 2 * i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes[i] = high * 16 + low;
    }
    return SRGBColor{bytes[0] / 255.0, bytes[1] / 255.0, bytes[2] / 255.0, bytes[3] / 255.0};
}

RGBA SRGBColor::rgba() const noexcept {
    return {byteOf(red), byteOf(green), byteOf(blue), byteOf(alpha)};
}

double SRGBColor::luminance() const noexcept {
    return 0.2126 * linearised(red) + 0.7152 * linearised(green) + 0.0722 * linearised(blue);
}

void to_json(Json& j, const SRGBColor& color) {
    j = Json{
        {"red", color.red}, {"green", color.green}, {"blue", color.blue}, {"alpha", color.alpha}};
}

void from_json(const Json& j, SRGBColor& color) {
    SRGBColor decoded;
    decoded.red = json::requireDouble(j, "red");
    decoded.green = json::requireDouble(j, "green");
    decoded.blue = json::requireDouble(j, "blue");
    decoded.alpha = json::requireDouble(j, "alpha");
    color = decoded;
}

} // namespace spanlet
