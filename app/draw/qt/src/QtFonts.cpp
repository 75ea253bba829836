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

QtFonts::Made made(const FontSpec& spec) {
    QFont f = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    // Sizes are in points of our coordinate space, which are logical pixels; a pixel size keeps
    // them independent of the X server's DPI setting.
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(spec.size))));
    f.setWeight(qtWeight(spec.weight));
    // Choosing tabular figures needs QFont::setFeature (Qt 6.6): instead the glyph table gives
    // every digit the widest digit's advance, which needs a font drawn without kerning.
    f.setKerning(!spec.monospacedDigits);
    const QFontMetricsF metrics(f);
    return {f, metrics.ascent(), metrics.descent(), metrics.height()};
}

} // namespace

struct QtFonts::Entry {
    explicit Entry(const FontSpec& spec)
        : font(made(spec)), glyphs(font.font, spec.monospacedDigits) {}
    Made font;
    GlyphTable glyphs;
};

QtFonts::QtFonts() = default;
QtFonts::~QtFonts() = default;

QtFonts::Entry& QtFonts::entry(const FontSpec& spec) {
    const Key key{spec.size, spec.weight, spec.monospacedDigits};
    auto it = entries_.find(key);
    if (it == entries_.end()) {
        it = entries_.emplace(key, std::make_unique<Entry>(spec)).first;
    }
    return *it->second;
}

const QtFonts::Made& QtFonts::font(const FontSpec& spec) {
    return entry(spec).font;
}

GlyphTable& QtFonts::glyphs(const FontSpec& spec) {
    return entry(spec).glyphs;
}

} // namespace spanlet::draw
