#include <algorithm>
#include <cmath>
#include <cstdint>

#include <spanlet/ColorText.hpp>
#include <spanlet/NumberText.hpp>

namespace spanlet::ColorText {

namespace {

/// Two upper-case hexadecimal digits, as "%02X" prints a byte.
void appendHexByte(std::string& out, std::uint8_t byte) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    out.push_back(kDigits[byte >> 4]);
    out.push_back(kDigits[byte & 0x0F]);
}

std::string byteText(std::uint8_t byte) {
    return NumberText::string(byte, 0);
}
std::string componentText(double component) {
    return NumberText::string(component, 3);
}
std::string alphaText(double alpha) {
    return NumberText::string(alpha, 2);
}

std::string hexText(const SRGBColor& color) {
    const RGBA bytes = color.rgba();
    std::string out = "#";
    appendHexByte(out, bytes.r);
    appendHexByte(out, bytes.g);
    appendHexByte(out, bytes.b);
    if (bytes.a != 255) {
        appendHexByte(out, bytes.a);
    }
    return out;
}

std::string rgbText(const SRGBColor& color) {
    const RGBA bytes = color.rgba();
    const std::string channels =
        byteText(bytes.r) + ", " + byteText(bytes.g) + ", " + byteText(bytes.b);
    if (bytes.a == 255) {
        return "rgb(" + channels + ")";
    }
    return "rgba(" + channels + ", " + alphaText(color.alpha) + ")";
}

std::string swiftUIText(const SRGBColor& color) {
    std::string out = "Color(red: " + componentText(color.red) +
                      ", green: " + componentText(color.green) +
                      ", blue: " + componentText(color.blue);
    if (color.rgba().a != 255) {
        out += ", opacity: " + alphaText(color.alpha);
    }
    return out + ")";
}

std::string nsColorText(const SRGBColor& color) {
    return "NSColor(srgbRed: " + componentText(color.red) +
           ", green: " + componentText(color.green) + ", blue: " + componentText(color.blue) +
           ", alpha: " + alphaText(color.alpha) + ")";
}

} // namespace

std::string string(const SRGBColor& color, ColorStyle style) {
    switch (style) {
    case ColorStyle::hex:
        return hexText(color);
    case ColorStyle::rgb:
        return rgbText(color);
    case ColorStyle::swiftUI:
        return swiftUIText(color);
    case ColorStyle::nsColor:
        return nsColorText(color);
    }
    return hexText(color);
}

std::string spoken(const SRGBColor& color) {
    const RGBA bytes = color.rgba();
    std::string out =
        "red " + byteText(bytes.r) + ", green " + byteText(bytes.g) + ", blue " + byteText(bytes.b);
    if (bytes.a != 255) {
        out += ", opacity " + NumberText::string(std::round(color.alpha * 100), 0) + " percent";
    }
    return out;
}

double contrast(const SRGBColor& first, const SRGBColor& second) {
    const double a = first.luminance();
    const double b = second.luminance();
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

} // namespace spanlet::ColorText
