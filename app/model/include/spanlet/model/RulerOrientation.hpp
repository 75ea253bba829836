#pragma once

#include <array>
#include <string_view>

#include <spanlet/Enum.hpp>

namespace spanlet {

/// The direction the ruler runs in.
enum class RulerOrientation { horizontal, vertical };

template <>
struct EnumTraits<RulerOrientation> {
    static constexpr std::array allCases{RulerOrientation::horizontal, RulerOrientation::vertical};
};

constexpr std::string_view rawValue(RulerOrientation o) {
    return o == RulerOrientation::horizontal ? "horizontal" : "vertical";
}

constexpr RulerOrientation other(RulerOrientation o) {
    return o == RulerOrientation::horizontal ? RulerOrientation::vertical
                                             : RulerOrientation::horizontal;
}

} // namespace spanlet
