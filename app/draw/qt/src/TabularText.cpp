#include <QFontMetricsF>
#include <QPainter>
#include <QString>

#include <spanlet/draw/qt/TabularText.hpp>

#include "GlyphLine.hpp"

namespace spanlet::draw {

namespace {

QFont withoutKerning(QFont font) {
    font.setKerning(false);
    return font;
}

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TabularText::TabularText(const QFont& font)
    : font_(withoutKerning(font)), glyphs_(std::make_unique<GlyphTable>(font_, true)) {}

TabularText::~TabularText() = default;

double TabularText::width(std::string_view text) {
    if (const std::optional<double> plain = glyphs_->measure(text)) {
        return *plain;
    }
    return QFontMetricsF(font_).horizontalAdvance(fromUtf8(text));
}

void TabularText::draw(QPainter& painter, QPointF baseline, std::string_view text) {
    if (const std::optional<GlyphLine> line = glyphs_->layout(text)) {
        painter.drawGlyphRun(baseline, line->glyphs);
        return;
    }
    painter.setFont(font_);
    painter.drawText(baseline, fromUtf8(text));
}

} // namespace spanlet::draw
