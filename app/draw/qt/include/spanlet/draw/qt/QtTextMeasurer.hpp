#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>

#include <spanlet/draw/TextMeasurer.hpp>
#include <spanlet/draw/qt/QtFonts.hpp>

namespace spanlet::draw {

/// Measures text with the fonts a QPainterBackend draws with, in points. Each measurer has fonts
/// of its own; a renderer's measurer() shares the renderer's.
class QtTextMeasurer final : public TextMeasurer {
public:
    [[nodiscard]] Size measure(std::string_view text, const FontChoice& font) const override;

    /// The fonts measured with.
    [[nodiscard]] QtFonts& fonts() const noexcept { return fonts_; }

private:
    struct Key {
        std::string text;
        double size = 0;
        FontWeight weight{};
        bool monospacedDigits = false;
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const noexcept;
    };
    mutable QtFonts fonts_;
    // Sizes of recent texts: a moving pointer keeps showing the same few labels and numbers,
    // and shaping them again is the costly part of laying out a frame.
    mutable std::unordered_map<Key, Size, KeyHash> sizes_;
};

} // namespace spanlet::draw
