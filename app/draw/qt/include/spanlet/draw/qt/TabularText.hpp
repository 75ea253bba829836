#pragma once

#include <QFont>
#include <QPointF>
#include <memory>
#include <string_view>

class QPainter;

namespace spanlet::draw {

class GlyphTable;

/// Lines of text in a given font (a widget's, say) whose digits all take the widest digit's
/// advance, laid out glyph by glyph as the overlay's labels are, so that numbers in rows keep
/// their widths as their digits change. Text the glyph table cannot lay out goes to the shaper.
class TabularText {
public:
    /// `font` without kerning, which tabular digits need.
    explicit TabularText(const QFont& font);
    ~TabularText();
    TabularText(const TabularText&) = delete;
    TabularText& operator=(const TabularText&) = delete;

    [[nodiscard]] const QFont& font() const noexcept { return font_; }
    /// The advance width of `text` (UTF-8), in the painter's units.
    [[nodiscard]] double width(std::string_view text);
    /// Draws `text` (UTF-8) from `baseline`, the left end of its baseline, in the painter's pen.
    void draw(QPainter& painter, QPointF baseline, std::string_view text);

private:
    QFont font_;
    std::unique_ptr<GlyphTable> glyphs_;
};

} // namespace spanlet::draw
