#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <array>
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
/// and no pair that the font joins in a standard ligature. Widths then equal the shaped ones.
struct GlyphLine {
    QGlyphRun glyphs; ///< positions on the baseline, from the line's start
    double width = 0;
};

/// One font's glyph indexes and advances, read on first use of each character. With
/// `tabularDigits` every digit takes the widest digit's advance, its glyph centred in it, so
/// that a number keeps its width as its digits change.
class GlyphTable {
public:
    explicit GlyphTable(const QFont& font, bool tabularDigits = false);

    /// `text` (UTF-8) in this table's font; nothing when it needs the shaper.
    [[nodiscard]] std::optional<GlyphLine> layout(std::string_view text);
    /// The width alone of the line layout() would make: for measuring, which needs no glyphs.
    [[nodiscard]] std::optional<double> measure(std::string_view text);

private:
    /// Where a character's glyph stands: not looked up yet, needing the shaper, or ready.
    enum class State : unsigned char { unknown, shaper, ready };
    struct Glyph {
        State state = State::unknown;
        quint32 index = 0;
        double advance = 0;
        double offset = 0; ///< where the glyph stands within its advance
    };
    /// Characters below this are looked up in a table; the rest only from a short list of
    /// symbols our texts use.
    static constexpr char16_t tableEnd = 0x180;
    static constexpr std::size_t symbolCount = 18;

    std::optional<double> layout(const QString& text, GlyphLine* line);
    const Glyph& glyph(int slot, char16_t c);
    /// The widest digit's advance; 0 when a digit needs the shaper.
    double digitCell();
    /// Whether the font joins "f" and the letter `next` (ff, fi, fl and their kin are standard
    /// ligatures), asked of the shaper once per pair.
    bool joinsAfterF(char16_t next);

    QFont font_;
    QFontMetricsF metrics_;
    QRawFont raw_;
    bool usable_;
    bool tabularDigits_;
    std::optional<double> digitCell_;
    std::array<Glyph, tableEnd + symbolCount> glyphs_{};
    std::array<State, 52> afterF_{}; ///< per letter A–Z, a–z: ready when "f" and it stay apart
};

} // namespace spanlet::draw
