#include <QString>

#include <spanlet/overlay/qt/QPainterBackend.hpp>
#include <spanlet/overlay/qt/QtTextMeasurer.hpp>

namespace spanlet::draw {

Size QtTextMeasurer::measure(std::string_view text, const FontSpec& font) const {
    const Key key{font.size, font.weight, font.monospacedDigits};
    auto it = metrics_.find(key);
    if (it == metrics_.end()) {
        it = metrics_.emplace(key, std::make_unique<QFontMetricsF>(QPainterBackend::font(font)))
                 .first;
    }
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return {it->second->horizontalAdvance(s), it->second->height()};
}

} // namespace spanlet::draw
