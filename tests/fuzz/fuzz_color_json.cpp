// Decoded colours are not clamped, so every text of one must cope with any finite or infinite
// component; a decoded colour with finite components survives an encode/decode round trip.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include <spanlet/Color.hpp>
#include <spanlet/ColorText.hpp>
#include <spanlet/Enum.hpp>
#include <spanlet/Json.hpp>

#include "FuzzCheck.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace spanlet;
    using fuzz::require;
    const auto color = decode<SRGBColor>(fuzz::text(data, size));
    if (!color) {
        return 0;
    }
    for (ColorStyle style : allCases<ColorStyle>) {
        require(!ColorText::string(*color, style).empty());
    }
    const std::string hex = ColorText::string(*color, ColorStyle::hex);
    require((hex.size() == 7 || hex.size() == 9) && SRGBColor::fromHex(hex));
    require(ColorText::spoken(*color).rfind("red ", 0) == 0);
    (void)ColorText::contrast(*color, SRGBColor{1, 1, 1, 1});
    (void)color->prefersDarkText();

    if (std::isfinite(color->red) && std::isfinite(color->green) && std::isfinite(color->blue) &&
        std::isfinite(color->alpha)) {
        const auto again = decode<SRGBColor>(std::string_view(encode(*color)));
        require(again && *again == *color);
    }
    return 0;
}
