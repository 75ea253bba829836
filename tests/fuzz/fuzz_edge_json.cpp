// Span and Cross decoding never throws, and whatever decodes survives encode → decode intact.
#include <cstdint>
#include <string_view>

#include <spanlet/Cross.hpp>
#include <spanlet/EdgeDetector.hpp>

#include "FuzzCheck.hpp"

namespace {

template <class T>
void roundTrip(std::string_view text) {
    if (const auto decoded = spanlet::decode<T>(text)) {
        const auto again = spanlet::decode<T>(std::string_view(spanlet::encode(*decoded)));
        // JSON holds no NaN, so a decoded value always equals itself.
        spanlet::fuzz::require(again && *again == *decoded);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    roundTrip<spanlet::Span>(spanlet::fuzz::text(data, size));
    roundTrip<spanlet::Cross>(spanlet::fuzz::text(data, size));
    return 0;
}
