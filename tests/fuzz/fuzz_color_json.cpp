// Decoded colours are not clamped, so every text of one must cope with any finite or infinite
// component; a decoded colour with finite components survives an encode/decode round trip.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <spanlet/Color.hpp>
#include <spanlet/ColorText.hpp>
#include <spanlet/Enum.hpp>
#include <spanlet/Json.hpp>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto color = spanlet::decode<spanlet::SRGBColor>(text);
    if (!color) {
        return 0;
    }
    for (spanlet::ColorStyle style : spanlet::allCases<spanlet::ColorStyle>) {
        const std::string s = spanlet::ColorText::string(*color, style);
        if (s.empty()) {
            std::abort();
        }
    }
    const std::string hex = spanlet::ColorText::string(*color, spanlet::ColorStyle::hex);
    if ((hex.size() != 7 && hex.size() != 9) || !spanlet::SRGBColor::fromHex(hex)) {
        std::abort();
    }
    if (spanlet::ColorText::spoken(*color).rfind("red ", 0) != 0) {
        std::abort();
    }
    (void)spanlet::ColorText::contrast(*color, spanlet::SRGBColor{1, 1, 1, 1});
    (void)color->prefersDarkText();

    if (std::isfinite(color->red) && std::isfinite(color->green) && std::isfinite(color->blue) &&
        std::isfinite(color->alpha)) {
        const auto again =
            spanlet::decode<spanlet::SRGBColor>(std::string_view(spanlet::encode(*color)));
        if (!again || *again != *color) {
            std::abort();
        }
    }
    return 0;
}
