// The preferences document comes from disk and may be anything: decoding must never throw or
// crash, whatever decodes must survive a save and load unchanged, and reading field by field
// must agree with the strict decoder wherever that succeeds.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include <spanlet/model/Preferences.hpp>

#include "FuzzCheck.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace spanlet;
    const std::string_view text = fuzz::text(data, size);
    const auto strict = decode<Preferences>(text);
    const auto lenient = decodePreferences(text);
    fuzz::require(strict.has_value() == (lenient && lenient->fellBack.empty()));
    fuzz::require(!strict || lenient->preferences == *strict);
    if (!lenient) {
        return 0;
    }
    std::string encoded;
    try {
        encoded = encode(lenient->preferences);
    } catch (...) {
        std::abort(); // a decoded record must always be encodable, or a save would lose it
    }
    const auto again = decodePreferences(encoded);
    fuzz::require(again && again->fellBack.empty() && again->preferences == lenient->preferences);
    return 0;
}
