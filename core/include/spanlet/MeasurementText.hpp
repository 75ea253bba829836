#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include <spanlet/Cross.hpp>
#include <spanlet/Enum.hpp>
#include <spanlet/Units.hpp>

namespace spanlet {

/// The format a measurement is copied in.
enum class CopyStyle { plain, css, swiftUI };

template <>
struct EnumTraits<CopyStyle> {
    static constexpr std::array allCases{CopyStyle::plain, CopyStyle::css, CopyStyle::swiftUI};
};

constexpr std::string_view rawValue(CopyStyle s) {
    switch (s) {
    case CopyStyle::plain:
        return "plain";
    case CopyStyle::css:
        return "css";
    case CopyStyle::swiftUI:
        return "swiftUI";
    }
    return "plain";
}
constexpr std::string_view id(CopyStyle s) {
    return rawValue(s);
}
constexpr std::string_view name(CopyStyle s) {
    switch (s) {
    case CopyStyle::plain:
        return "Text";
    case CopyStyle::css:
        return "CSS";
    case CopyStyle::swiftUI:
        return "SwiftUI";
    }
    return "Text";
}

/// Texts of measurements. Lengths arrive as whole device-pixel counts; the plain style prints
/// them in the user's unit, CSS and SwiftUI always in points. Numbers have two decimals at most.
namespace MeasurementText {

/// "240 × 81 px", "width: 120px;\nheight: 40.5px;" or ".frame(width: 120, height: 40.5)".
std::string size(std::int64_t widthPixels, std::int64_t heightPixels, DisplayScale scale,
                 MeasureUnit unit, CopyStyle style);

/// size() of the box a cross encloses, at the cross's own scale.
std::string cross(const Cross& cross, MeasureUnit unit, CopyStyle style);

/// One distance: "12.5 pt", "12.5px" or "12.5".
std::string distance(std::int64_t pixels, DisplayScale scale, MeasureUnit unit, CopyStyle style);

/// The accessibility text of a size: "120 by 40.5 points".
std::string spoken(std::int64_t widthPixels, std::int64_t heightPixels, DisplayScale scale,
                   MeasureUnit unit);

/// The four distances of a cross on one line: "left 10 · right 110.5 · up 1.5 · down 2 pt".
std::string distances(const Cross& cross, MeasureUnit unit);

} // namespace MeasurementText

} // namespace spanlet
