#pragma once

#include <string_view>

#include <spanlet/Geometry.hpp>
#include <spanlet/draw/DrawOps.hpp>

namespace spanlet::draw {

/// Measures one line of UTF-8 text in a font, in points. Layouts use it to size label boxes;
/// the painting backend supplies one backed by its real fonts.
class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    /// Width and height of `text`'s line box in `font`.
    [[nodiscard]] virtual Size measure(std::string_view text, const FontChoice& font) const = 0;
};

} // namespace spanlet::draw
