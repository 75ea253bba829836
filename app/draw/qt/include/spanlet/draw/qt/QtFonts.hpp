#pragma once

#include <QFont>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <tuple>

#include <spanlet/draw/DrawOps.hpp>

namespace spanlet::draw {

class GlyphTable;

/// The fonts one renderer draws and measures with: one per FontChoice, made on first use and kept
/// with its metrics and glyph table, since building a font from the system font is slow and
/// text is laid out on every pointer move. For one thread.
class QtFonts {
public:
    /// A font made for a FontChoice, with the metrics text placement needs (points).
    struct Made {
        QFont font;
        double ascent = 0;
        double descent = 0;
        double height = 0;
    };

    QtFonts();
    ~QtFonts();
    QtFonts(const QtFonts&) = delete;
    QtFonts& operator=(const QtFonts&) = delete;

    /// The system UI font at the requested size (points, i.e. logical pixels) and weight.
    const Made& font(const FontChoice& choice);
    /// The glyph table of font(choice), for lines laid out without the shaper.
    GlyphTable& glyphs(const FontChoice& choice);

private:
    struct Entry;
    using Key = std::tuple<double, FontWeight, bool>;
    Entry& entry(const FontChoice& choice);

    std::map<Key, std::unique_ptr<Entry>> entries_;
};

} // namespace spanlet::draw
