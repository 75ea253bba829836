#pragma once

#include <QFontMetricsF>
#include <map>
#include <memory>
#include <string>
#include <tuple>

#include <spanlet/draw/TextMeasurer.hpp>

namespace spanlet::draw {

/// Measures text with the same fonts QPainterBackend draws with (QFontMetricsF), in points.
class QtTextMeasurer final : public TextMeasurer {
public:
    [[nodiscard]] Size measure(std::string_view text, const FontSpec& font) const override;

private:
    using Key = std::tuple<double, FontWeight, bool>;
    // Metrics per font, built on first use; measuring happens on every pointer move.
    mutable std::map<Key, std::unique_ptr<QFontMetricsF>> metrics_;
    // Sizes of recent texts: a moving pointer keeps showing the same few labels and numbers,
    // and shaping them again is the costly part of laying out a frame.
    mutable std::map<std::pair<Key, std::string>, Size> sizes_;
};

} // namespace spanlet::draw
