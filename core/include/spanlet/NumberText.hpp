#pragma once

#include <string>

namespace spanlet::NumberText {

/// The one number formatter: rounds half away from zero to `digits` decimals (0 to 15; other
/// counts are clamped), drops trailing zeros and a trailing point, prints "-0" as "0" and
/// non-finite values as "0". Always uses "." and never an exponent, whatever the locale.
std::string string(double value, int digits);

} // namespace spanlet::NumberText
