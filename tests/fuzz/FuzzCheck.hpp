#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace spanlet::fuzz {

/// A broken invariant aborts: that is what the fuzzer and the driver report.
inline void require(bool invariant) {
    if (!invariant) {
        std::abort();
    }
}

/// The input as text.
inline std::string_view text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

} // namespace spanlet::fuzz
