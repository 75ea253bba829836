// Span and Cross decoding never throws, and whatever decodes survives encode → decode intact.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include <spanlet/Cross.hpp>
#include <spanlet/EdgeDetector.hpp>

namespace {

template <class T>
void roundTrip(std::string_view text) {
    const auto decoded = spanlet::decode<T>(text);
    if (!decoded) {
        return;
    }
    const auto again = spanlet::decode<T>(std::string_view(spanlet::encode(*decoded)));
    // JSON holds no NaN, so a decoded value always equals itself.
    if (!again || !(*again == *decoded)) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    roundTrip<spanlet::Span>(text);
    roundTrip<spanlet::Cross>(text);
    return 0;
}
