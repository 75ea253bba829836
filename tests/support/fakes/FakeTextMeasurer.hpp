#pragma once

#include <cstddef>
#include <string_view>

#include <spanlet/draw/TextMeasurer.hpp>

namespace spanlet::draw {

/// A font-free measurer for tests and headless benchmarks: every code point is 0.6 × size
/// wide and the line is 1.2 × size high, whatever the weight.
class FakeTextMeasurer final : public TextMeasurer {
public:
    [[nodiscard]] Size measure(std::string_view text, const FontChoice& font) const override {
        return {0.6 * font.size * static_cast<double>(codePoints(text)), 1.2 * font.size};
    }

    /// Number of UTF-8 code points: every byte that is not a continuation byte (10xxxxxx).
    static std::size_t codePoints(std::string_view text) {
        std::size_t n = 0;
        for (const char ch : text) {
            if ((static_cast<unsigned char>(ch) & 0xC0U) != 0x80U) {
                ++n;
            }
        }
        return n;
    }
};

} // namespace spanlet::draw
