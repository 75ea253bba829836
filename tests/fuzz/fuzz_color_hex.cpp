// Hex colour text from arbitrary bytes: a parsed colour is within range, came from text without
// signs, prefixes or NULs, and its own hex text parses back to the same colour.
#include <cstdint>
#include <string>
#include <string_view>

#include <spanlet/Color.hpp>
#include <spanlet/ColorText.hpp>

#include "FuzzCheck.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace spanlet;
    using fuzz::require;
    const std::string_view text = fuzz::text(data, size);
    const auto color = SRGBColor::fromHex(text);
    if (!color) {
        return 0;
    }
    require(text.find_first_of(std::string_view("+-xX\0", 5)) == std::string_view::npos);
    for (const double v : {color->red, color->green, color->blue, color->alpha}) {
        require(v >= 0 && v <= 1);
    }
    const auto again = SRGBColor::fromHex(ColorText::string(*color, ColorStyle::hex));
    require(again && again->rgba() == color->rgba() && *again == *color);
    return 0;
}
