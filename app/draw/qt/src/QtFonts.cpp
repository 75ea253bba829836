#include <QFontDatabase>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

#include <spanlet/draw/qt/QtFonts.hpp>

#include "GlyphLine.hpp"

namespace spanlet::draw {

namespace {

QFont::Weight qtWeight(FontWeight w) {
    switch (w) {
    case FontWeight::regular:
        return QFont::Normal;
    case FontWeight::medium:
        return QFont::Medium;
    case FontWeight::semibold:
        return QFont::DemiBold;
    case FontWeight::bold:
        return QFont::Bold;
    }
    return QFont::Normal;
}

QtFonts::Made made(const FontChoice& choice) {
    QFont f = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    // Sizes are in points of our coordinate space, which are logical pixels; a pixel size keeps
    // them independent of the X server's DPI setting.
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(choice.size))));
    f.setWeight(qtWeight(choice.weight));
    // Choosing tabular figures needs QFont::setFeature (Qt 6.6): instead the glyph table gives
    // every digit the widest digit's advance, which needs a font drawn without kerning.
    f.setKerning(!choice.monospacedDigits);
    const QFontMetricsF metrics(f);
    return {f, metrics.ascent(), metrics.descent(), metrics.height()};
}

} // namespace

struct QtFonts::Entry {
    explicit Entry(const FontChoice& choice)
        : font(made(choice)), glyphs(font.font, choice.monospacedDigits) {}
    Made font;
    GlyphTable glyphs;
};

QtFonts::QtFonts() = default;
QtFonts::~QtFonts() = default;

QtFonts::Entry& QtFonts::entry(const FontChoice& choice) {
    const Key key{choice.size, choice.weight, choice.monospacedDigits};
    auto it = entries_.find(key);
    if (it == entries_.end()) {
        it = entries_.emplace(key, std::make_unique<Entry>(choice)).first;
    }
    return *it->second;
}

const QtFonts::Made& QtFonts::font(const FontChoice& choice) {
    return entry(choice).font;
}

GlyphTable& QtFonts::glyphs(const FontChoice& choice) {
    return entry(choice).glyphs;
}

} // namespace spanlet::draw
