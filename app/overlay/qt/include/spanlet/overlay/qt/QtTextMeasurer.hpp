#pragma once

#include <QFontMetricsF>
#include <map>
#include <memory>
#include <tuple>

#include <spanlet/overlay/TextMeasurer.hpp>

namespace spanlet::draw {

/// Measures text with the same fonts QPainterBackend draws with (QFontMetricsF), in points.
class QtTextMeasurer final : public TextMeasurer {
public:
    [[nodiscard]] Size measure(std::string_view text, const FontSpec& font) const override;

private:
    using Key = std::tuple<double, FontWeight, bool>;
    // Metrics per font, built on first use; measuring happens on every pointer move.
    mutable std::map<Key, std::unique_ptr<QFontMetricsF>> metrics_;
};

} // namespace spanlet::draw
