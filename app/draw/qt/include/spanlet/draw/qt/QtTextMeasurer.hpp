#pragma once

#include <map>
#include <string>
#include <tuple>

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
    using Key = std::tuple<double, FontWeight, bool>;
    mutable QtFonts fonts_;
    // Sizes of recent texts: a moving pointer keeps showing the same few labels and numbers,
    // and shaping them again is the costly part of laying out a frame.
    mutable std::map<std::pair<Key, std::string>, Size> sizes_;
};

} // namespace spanlet::draw
