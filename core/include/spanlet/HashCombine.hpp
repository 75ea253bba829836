#pragma once

#include <cstddef>
#include <functional>

namespace spanlet {

/// The hash of a key made of several values: each one's std::hash mixed into `seed` in turn.
template <class... T>
[[nodiscard]] std::size_t hashCombine(std::size_t seed, const T&... values) noexcept {
    ((seed ^= std::hash<T>{}(values) + 0x9e3779b97f4a7c15U + (seed << 6) + (seed >> 2)), ...);
    return seed;
}

} // namespace spanlet
