#include "GlyphLine.hpp"

#include <QString>
#include <QTextLayout>
#include <algorithm>

namespace spanlet::draw {

namespace {

constexpr std::array<char16_t, 18> symbols = {u'\u2013', u'\u2014', u'\u2018', u'\u2019', u'\u201C',
                                              u'\u201D', u'\u2022', u'\u2026', u'\u2190', u'\u2191',
                                              u'\u2192', u'\u2193', u'\u21E7', u'\u2212', u'\u2303',
                                              u'\u2318', u'\u2325', u'\u232B'};

constexpr char16_t tableEnd = 0x180;

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

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

GlyphTable::GlyphTable(const QFont& font, bool tabularDigits)
    : font_(font), metrics_(font), raw_(QRawFont::fromFont(font)),
      usable_(!font.kerning() && raw_.isValid()), tabularDigits_(tabularDigits) {
    static_assert(symbolCount == symbols.size() && GlyphTable::tableEnd == draw::tableEnd);
}

std::optional<GlyphLine> GlyphTable::layout(std::string_view text) {
    GlyphLine line;
    if (!layout(fromUtf8(text), &line)) {
        return std::nullopt;
    }
    return line;
}

std::optional<double> GlyphTable::measure(std::string_view text) {
    return layout(fromUtf8(text), nullptr);
}

std::optional<double> GlyphTable::layout(const QString& text, GlyphLine* line) {
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
        if (c == u'f' && i + 1 < text.size() && isLetter(text[i + 1].unicode()) &&
            joinsAfterF(text[i + 1].unicode())) {
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
            positions.push_back(QPointF(x + g.offset, 0));
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

const GlyphTable::Glyph& GlyphTable::glyph(int s, char16_t c) {
    Glyph& g = glyphs_[static_cast<std::size_t>(s)];
    if (g.state == State::unknown) {
        const QString one(QChar{c});
        const QList<quint32> found = raw_.glyphIndexesForString(one);
        // A missing glyph is drawn from a fallback font, which only the shaper finds. The
        // advance is the shaped one, rounded as the font's engine rounds it.
        if (found.size() == 1 && found[0] != 0) {
            g = {State::ready, found[0], metrics_.horizontalAdvance(one), 0};
        } else {
            g.state = State::shaper;
        }
        if (g.state == State::ready && tabularDigits_ && c >= u'0' && c <= u'9') {
            const double cell = digitCell();
            if (cell > 0) {
                g.offset = (cell - g.advance) / 2;
                g.advance = cell;
            } else {
                g.state = State::shaper;
            }
        }
    }
    return g;
}

bool GlyphTable::joinsAfterF(char16_t next) {
    State& pair = afterF_[static_cast<std::size_t>(next >= u'a' ? next - u'a' + 26 : next - u'A')];
    if (pair == State::unknown) {
        const QString text = QStringLiteral("f") + QChar{next};
        QTextLayout layout(text, font_);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        QList<quint32> shaped;
        for (const QGlyphRun& run : layout.glyphRuns()) {
            shaped += run.glyphIndexes();
        }
        pair = shaped == raw_.glyphIndexesForString(text) ? State::ready : State::shaper;
    }
    return pair != State::ready;
}

double GlyphTable::digitCell() {
    if (!digitCell_) {
        double widest = 0;
        for (char16_t d = u'0'; d <= u'9'; ++d) {
            const QString one(QChar{d});
            const QList<quint32> found = raw_.glyphIndexesForString(one);
            if (found.size() != 1 || found[0] == 0) {
                widest = 0;
                break;
            }
            widest = std::max(widest, metrics_.horizontalAdvance(one));
        }
        digitCell_ = widest;
    }
    return *digitCell_;
}

} // namespace spanlet::draw
