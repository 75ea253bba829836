#include "GlyphLine.hpp"

#include <QFontMetricsF>
#include <QRawFont>
#include <QString>
#include <array>
#include <map>
#include <tuple>

#include <spanlet/draw/qt/QPainterBackend.hpp>

namespace spanlet::draw {

namespace {

/// Characters below this are looked up in a table; the rest are taken only from a short list of
/// symbols our texts use.
constexpr char16_t tableEnd = 0x180;
constexpr std::array<char16_t, 18> symbols = {u'\u2013', u'\u2014', u'\u2018', u'\u2019', u'\u201C',
                                              u'\u201D', u'\u2022', u'\u2026', u'\u2190', u'\u2191',
                                              u'\u2192', u'\u2193', u'\u21E7', u'\u2212', u'\u2303',
                                              u'\u2318', u'\u2325', u'\u232B'};

/// Where a character's glyph stands: not looked up yet, needing the shaper, or ready.
enum class State : unsigned char { unknown, shaper, ready };

struct Glyph {
    State state = State::unknown;
    quint32 index = 0;
    double advance = 0;
};

int slot(char16_t c) {
    if (c < tableEnd) {
        // Controls and the soft hyphen are the shaper's business.
        return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0xAD ? -1 : c;
    }
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        if (symbols[i] == c) {
            return tableEnd + static_cast<int>(i);
        }
    }
    return -1;
}

bool isLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

class FontTable {
public:
    explicit FontTable(const QFont& font)
        : metrics_(font), raw_(QRawFont::fromFont(font)),
          usable_(!font.kerning() && raw_.isValid()) {}

    /// The line's width, and its glyphs in `line` when given; nothing when it needs the shaper.
    std::optional<double> layout(const QString& text, GlyphLine* line) {
        if (!usable_) {
            return std::nullopt;
        }
        QList<quint32> indexes;
        QList<QPointF> positions;
        if (line != nullptr) {
            indexes.reserve(text.size());
            positions.reserve(text.size());
        }
        double x = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text[i].unicode();
            // ff, fi, fl and their kin are standard ligatures.
            if (c == u'f' && i + 1 < text.size() && isLetter(text[i + 1].unicode())) {
                return std::nullopt;
            }
            const int s = slot(c);
            if (s < 0) {
                return std::nullopt;
            }
            const Glyph& g = glyph(s, c);
            if (g.state != State::ready) {
                return std::nullopt;
            }
            if (line != nullptr) {
                indexes.push_back(g.index);
                positions.push_back(QPointF(x, 0));
            }
            x += g.advance;
        }
        if (line != nullptr) {
            line->glyphs.setRawFont(raw_);
            line->glyphs.setGlyphIndexes(indexes);
            line->glyphs.setPositions(positions);
            line->width = x;
        }
        return x;
    }

private:
    const Glyph& glyph(int s, char16_t c) {
        Glyph& g = glyphs_[static_cast<std::size_t>(s)];
        if (g.state == State::unknown) {
            const QString one(QChar{c});
            const QList<quint32> found = raw_.glyphIndexesForString(one);
            // A missing glyph is drawn from a fallback font, which only the shaper finds. The
            // advance is the shaped one, rounded as the font's engine rounds it.
            if (found.size() == 1 && found[0] != 0) {
                g = {State::ready, found[0], metrics_.horizontalAdvance(one)};
            } else {
                g.state = State::shaper;
            }
        }
        return g;
    }

    QFontMetricsF metrics_;
    QRawFont raw_;
    bool usable_;
    std::array<Glyph, tableEnd + symbols.size()> glyphs_{};
};

FontTable& tableFor(const FontSpec& font) {
    thread_local std::map<std::tuple<double, FontWeight, bool>, FontTable> tables;
    const auto key = std::make_tuple(font.size, font.weight, font.monospacedDigits);
    auto it = tables.find(key);
    if (it == tables.end()) {
        it = tables.try_emplace(key, QPainterBackend::font(font)).first;
    }
    return it->second;
}

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

std::optional<GlyphLine> GlyphLine::layout(std::string_view text, const FontSpec& font) {
    GlyphLine line;
    if (!tableFor(font).layout(fromUtf8(text), &line)) {
        return std::nullopt;
    }
    return line;
}

std::optional<double> GlyphLine::measure(std::string_view text, const FontSpec& font) {
    return tableFor(font).layout(fromUtf8(text), nullptr);
}

} // namespace spanlet::draw
