#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string_view>

#include <spanlet/Enum.hpp>
#include <spanlet/HashCombine.hpp>
#include <spanlet/Json.hpp>
#include <spanlet/RGBA.hpp>

namespace spanlet {

/// A non-premultiplied sRGB colour with components from 0 to 1 (alpha 1 is opaque).
struct SRGBColor {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 0;

    SRGBColor() = default;
    /// Clamps every component into 0–1; NaN becomes 0.
    SRGBColor(double red, double green, double blue, double alpha) noexcept;

    /// The colour of a pixel: each channel ÷ 255.
    static SRGBColor fromRGBA(RGBA pixel) noexcept;
    /// Parses "#RGB", "#RGBA", "#RRGGBB" or "#RRGGBBAA" (hash optional, either case, white space
    /// around allowed); nothing for anything else.
    static std::optional<SRGBColor> fromHex(std::string_view text);

    /// Each component × 255, rounded half away from zero and clamped to 0–255.
    [[nodiscard]] RGBA rgba() const noexcept;
    /// WCAG 2 relative luminance; alpha is ignored.
    [[nodiscard]] double luminance() const noexcept;
    /// Dark text reads better on this colour than light text.
    [[nodiscard]] bool prefersDarkText() const noexcept { return luminance() > 0.36; }

    friend bool operator==(const SRGBColor&, const SRGBColor&) = default;
};

/// Decoding keeps the stored components as they are (no clamping).
void to_json(Json& j, const SRGBColor& color);
void from_json(const Json& j, SRGBColor& color);

/// The text form a colour is copied in.
enum class ColorStyle { hex, rgb, swiftUI, nsColor };

template <>
struct EnumTraits<ColorStyle> {
    static constexpr std::array allCases{ColorStyle::hex, ColorStyle::rgb, ColorStyle::swiftUI,
                                         ColorStyle::nsColor};
};

constexpr std::string_view rawValue(ColorStyle s) {
    switch (s) {
    case ColorStyle::hex:
        return "hex";
    case ColorStyle::rgb:
        return "rgb";
    case ColorStyle::swiftUI:
        return "swiftUI";
    case ColorStyle::nsColor:
        return "nsColor";
    }
    return "hex";
}
constexpr std::string_view id(ColorStyle s) {
    return rawValue(s);
}
constexpr std::string_view name(ColorStyle s) {
    switch (s) {
    case ColorStyle::hex:
        return "Hex";
    case ColorStyle::rgb:
        return "RGB";
    case ColorStyle::swiftUI:
        return "SwiftUI";
    case ColorStyle::nsColor:
        return "NSColor";
    }
    return "Hex";
}

} // namespace spanlet

template <>
struct std::hash<spanlet::SRGBColor> {
    std::size_t operator()(const spanlet::SRGBColor& c) const noexcept {
        return spanlet::hashCombine(0, c.red, c.green, c.blue, c.alpha);
    }
};
