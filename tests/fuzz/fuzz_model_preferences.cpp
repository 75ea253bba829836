// The preferences document comes from disk and may be anything: decoding must never throw or
// crash, and whatever decodes must survive a save and load unchanged.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include <spanlet/model/Preferences.hpp>

#include "FuzzCheck.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace spanlet;
    const auto prefs = decode<Preferences>(fuzz::text(data, size));
    if (!prefs) {
        return 0;
    }
    std::string encoded;
    try {
        encoded = encode(*prefs);
    } catch (...) {
        std::abort(); // a decoded record must always be encodable, or a save would lose it
    }
    const auto again = decode<Preferences>(std::string_view(encoded));
    fuzz::require(again && *again == *prefs);
    return 0;
}
