// Every double, at every digit count, must print without UB, exponent or locale dependence.
#include <cstdint>
#include <cstring>
#include <string>

#include <spanlet/NumberText.hpp>

#include "FuzzCheck.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < sizeof(double) + 1) {
        return 0;
    }
    double value = 0;
    std::memcpy(&value, data, sizeof value);
    const int digits = static_cast<std::int8_t>(data[sizeof value]);
    const std::string text = spanlet::NumberText::string(value, digits);
    spanlet::fuzz::require(!text.empty() &&
                           text.find_first_not_of("-.0123456789") == std::string::npos &&
                           text != "-0");
    return 0;
}
