#pragma once

#include <QGlyphRun>
#include <optional>
#include <string_view>

#include <spanlet/draw/DrawOps.hpp>

namespace spanlet::draw {

/// A line of plain text laid out without the shaper: one glyph per character, from glyph
/// indexes and advances read once per font and character. Labels show new numbers on every
/// pointer move, and shaping them is otherwise the dearest part of measuring and drawing them.
///
/// It applies only where the shaper could not do anything else: a font drawn without kerning
/// (tabular label fonts), characters of simple scripts that the font itself has glyphs for,
/// and no pair that a standard ligature could join. Widths then equal the shaped ones.
struct GlyphLine {
    QGlyphRun glyphs; ///< positions on the baseline, from the line's start
    double width = 0;

    /// `text` (UTF-8) in the font QPainterBackend makes for `font`; nothing when it needs the
    /// shaper. Tables are kept per thread, as Qt keeps font engines.
    static std::optional<GlyphLine> layout(std::string_view text, const FontSpec& font);
    /// The width alone of the line layout() would make: for measuring, which needs no glyphs.
    static std::optional<double> measure(std::string_view text, const FontSpec& font);
};

} // namespace spanlet::draw
