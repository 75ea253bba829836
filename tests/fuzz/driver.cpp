// Stand-in for libFuzzer where clang is not available: feeds a fixed number of pseudo-random
// inputs (deterministic seed) to the target. Inputs are biased towards JSON and hex text so the
// parsers get past their first byte. Any crash, sanitizer report or escaping exception fails.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

constexpr std::string_view kAlphabet = "{}[]\":,0123456789abcdefABCDEF#.-+eE \ntrufalsn";
// Whole tokens, one space apart (no token holds a space).
constexpr std::string_view kTokenText =
    R"({ } [ ] , : "id" "axis" "guides" "position" "start" "end" "red" "alpha" "left" "scale" )"
    R"("openStart" true false null 1e308 -0 1.5 9223372036854775808 "vertical" "horizontal" )"
    R"("6F1A2B3C-0000-4000-8000-00000000ABCD" # #FFF nan -1e400 0.5)";

std::vector<std::string_view> tokens() {
    std::vector<std::string_view> out;
    for (std::size_t at = 0; at < kTokenText.size();) {
        const std::size_t end = std::min(kTokenText.find(' ', at), kTokenText.size());
        out.push_back(kTokenText.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

std::string randomInput(std::mt19937_64& rng) {
    static const std::vector<std::string_view> kTokens = tokens();
    std::string out;
    const auto length = std::uniform_int_distribution<std::size_t>(0, 96)(rng);
    while (out.size() < length) {
        switch (rng() % 3) {
        case 0:
            out.push_back(static_cast<char>(rng() & 0xFF));
            break;
        case 1:
            out.push_back(kAlphabet[rng() % kAlphabet.size()]);
            break;
        default:
            out.append(kTokens[rng() % kTokens.size()]);
            break;
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    const long runs = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 10000;
    std::mt19937_64 rng(0x5EED5A17u);
    for (long i = 0; i < runs; ++i) {
        const std::string input = randomInput(rng);
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
    }
    return 0;
}
