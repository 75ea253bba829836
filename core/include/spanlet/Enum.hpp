#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace spanlet {

/// Specialised per enumeration with `static constexpr std::array allCases`, in declaration order.
template <class T>
struct EnumTraits;

/// Every case of an enumeration, in the order menus and lists show them.
template <class T>
inline constexpr auto allCases = EnumTraits<T>::allCases;

/// The case whose raw value is exactly `raw` (case-sensitive), or nothing.
template <class T>
constexpr std::optional<T> fromRawValue(std::string_view raw) {
    for (T c : allCases<T>) {
        if (rawValue(c) == raw) {
            return c;
        }
    }
    return std::nullopt;
}

} // namespace spanlet
