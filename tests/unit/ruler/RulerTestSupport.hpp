#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include <spanlet/overlay/DrawOps.hpp>
#include <spanlet/overlay/TextMeasurer.hpp>
#include <spanlet/ruler/RulerView.hpp>

namespace spanlet::testing {

/// Every code point is `perSize` × the font size wide; lines are 1.2 × the size high.
class WidthPerCharacter final : public draw::TextMeasurer {
public:
    explicit WidthPerCharacter(double perSize) : perSize_(perSize) {}
    [[nodiscard]] Size measure(std::string_view text, const draw::FontSpec& font) const override {
        return {perSize_ * font.size * static_cast<double>(text.size()), 1.2 * font.size};
    }

private:
    double perSize_;
};

inline RulerView rulerView(RulerOrientation orientation, double length, MeasureUnit unit,
                           double scale, std::optional<double> offset = std::nullopt) {
    RulerView v;
    v.orientation = orientation;
    v.length = length;
    v.unit = unit;
    v.scale = DisplayScale(scale);
    v.pointerOffset = offset;
    return v;
}

/// The operations of one kind, in list order.
template <class Op>
std::vector<Op> opsOf(const draw::DrawList& list) {
    std::vector<Op> out;
    for (const draw::DrawOp& op : list.ops) {
        if (const auto* o = std::get_if<Op>(&op)) {
            out.push_back(*o);
        }
    }
    return out;
}

} // namespace spanlet::testing
