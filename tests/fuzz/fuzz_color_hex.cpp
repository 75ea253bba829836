// Hex colour text from arbitrary bytes: a parsed colour is within range, came from text without
// signs, prefixes or NULs, and its own hex text parses back to the same colour.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <spanlet/Color.hpp>
#include <spanlet/ColorText.hpp>

namespace {

bool inUnitRange(double v) {
    return v >= 0 && v <= 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto color = spanlet::SRGBColor::fromHex(text);
    if (!color) {
        return 0;
    }
    if (text.find_first_of(std::string_view("+-xX\0", 5)) != std::string_view::npos) {
        std::abort();
    }
    if (!inUnitRange(color->red) || !inUnitRange(color->green) || !inUnitRange(color->blue) ||
        !inUnitRange(color->alpha)) {
        std::abort();
    }
    const std::string hex = spanlet::ColorText::string(*color, spanlet::ColorStyle::hex);
    const auto again = spanlet::SRGBColor::fromHex(hex);
    if (!again || again->rgba() != color->rgba() || *again != *color) {
        std::abort();
    }
    return 0;
}
