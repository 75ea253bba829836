#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

#include <spanlet/NumberText.hpp>

namespace spanlet::NumberText {

namespace {

// 2^63 as a double: the first magnitude that does not fit a signed 64-bit integer.
constexpr double kInt64Limit = 9223372036854775808.0;

std::string trimmedFixed(double value, int digits) {
    // Enough for every finite double in fixed notation: 309 integer digits, sign, point, 15
    // decimals.
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, digits);
    std::string text(buffer.data(), result.ptr);
    if (text.find('.') != std::string::npos) {
        while (!text.empty() && text.back() == '0') {
            text.pop_back();
        }
        if (!text.empty() && text.back() == '.') {
            text.pop_back();
        }
    }
    return text == "-0" ? "0" : text;
}

} // namespace

std::string string(double value, int digits) {
    if (!std::isfinite(value)) {
        return "0";
    }
    digits = std::clamp(digits, 0, 15);
    const double p = std::pow(10.0, digits);
    const double scaled = value * p;
    // std::round rounds half away from zero. A product too large to be finite is already whole.
    const double r = std::isfinite(scaled) ? std::round(scaled) / p : value;

    if (r == std::round(r)) {
        if (std::fabs(r) < kInt64Limit) {
            std::array<char, 24> buffer{};
            const auto whole = static_cast<std::int64_t>(r);
            const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), whole);
            return {buffer.data(), result.ptr}; // -0.0 converts to 0, so no "-0" here
        }
        // Beyond 2^63 the integer conversion is undefined: print the exact whole value instead.
        return trimmedFixed(r, 0);
    }
    return trimmedFixed(r, digits);
}

} // namespace spanlet::NumberText
