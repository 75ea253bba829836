#include <QFontMetricsF>
#include <QString>

#include <spanlet/HashCombine.hpp>
#include <spanlet/draw/qt/QtTextMeasurer.hpp>

#include "GlyphLine.hpp"

namespace spanlet::draw {

namespace {

/// Beyond this many remembered sizes the memory starts afresh.
constexpr std::size_t maxRememberedSizes = 1024;

} // namespace

std::size_t QtTextMeasurer::KeyHash::operator()(const Key& key) const noexcept {
    return hashCombine(0, key.text, key.size, static_cast<int>(key.weight), key.monospacedDigits);
}

Size QtTextMeasurer::measure(std::string_view text, const FontChoice& font) const {
    Key cacheKey{std::string(text), font.size, font.weight, font.monospacedDigits};
    if (const auto known = sizes_.find(cacheKey); known != sizes_.end()) {
        return known->second;
    }
    const QtFonts::Made& made = fonts_.font(font);
    const std::optional<double> plain = fonts_.glyphs(font).measure(text);
    const double width = plain ? *plain
                               : QFontMetricsF(made.font).horizontalAdvance(QString::fromUtf8(
                                     text.data(), static_cast<qsizetype>(text.size())));
    const Size size{width, made.height};
    if (sizes_.size() >= maxRememberedSizes) {
        sizes_.clear();
    }
    sizes_.emplace(std::move(cacheKey), size);
    return size;
}

} // namespace spanlet::draw
