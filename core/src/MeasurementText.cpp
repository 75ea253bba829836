#include <spanlet/MeasurementText.hpp>
#include <spanlet/NumberText.hpp>

namespace spanlet::MeasurementText {

namespace {

std::string number(double value) {
    return NumberText::string(value, 2);
}

/// The size texts, with width and height in device pixels (doubles, so that the sums of a
/// cross's distances cannot overflow).
std::string sizeText(double widthPixels, double heightPixels, DisplayScale scale, MeasureUnit unit,
                     CopyStyle style) {
    switch (style) {
    case CopyStyle::plain:
        return number(scale.valueOfPixels(widthPixels, unit)) + " \u00D7 " +
               number(scale.valueOfPixels(heightPixels, unit)) + " " + std::string(symbol(unit));
    case CopyStyle::css:
        return "width: " + number(scale.pointsFromPixels(widthPixels)) +
               "px;\nheight: " + number(scale.pointsFromPixels(heightPixels)) + "px;";
    case CopyStyle::swiftUI:
        return ".frame(width: " + number(scale.pointsFromPixels(widthPixels)) +
               ", height: " + number(scale.pointsFromPixels(heightPixels)) + ")";
    }
    return {};
}

} // namespace

std::string size(std::int64_t widthPixels, std::int64_t heightPixels, DisplayScale scale,
                 MeasureUnit unit, CopyStyle style) {
    return sizeText(static_cast<double>(widthPixels), static_cast<double>(heightPixels), scale,
                    unit, style);
}

std::string cross(const Cross& cross, MeasureUnit unit, CopyStyle style) {
    // Summed as doubles: a decoded cross may hold distances whose integer sum overflows.
    return sizeText(static_cast<double>(cross.left) + static_cast<double>(cross.right),
                    static_cast<double>(cross.up) + static_cast<double>(cross.down),
                    cross.displayScale(), unit, style);
}

std::string distance(std::int64_t pixels, DisplayScale scale, MeasureUnit unit, CopyStyle style) {
    const double v = static_cast<double>(pixels);
    switch (style) {
    case CopyStyle::plain:
        return scale.textOfPixels(v, unit);
    case CopyStyle::css:
        return number(scale.pointsFromPixels(v)) + "px";
    case CopyStyle::swiftUI:
        return number(scale.pointsFromPixels(v));
    }
    return {};
}

std::string spoken(std::int64_t widthPixels, std::int64_t heightPixels, DisplayScale scale,
                   MeasureUnit unit) {
    return number(scale.valueOfPixels(static_cast<double>(widthPixels), unit)) + " by " +
           number(scale.valueOfPixels(static_cast<double>(heightPixels), unit)) + " " +
           std::string(spokenName(unit));
}

std::string distances(const Cross& cross, MeasureUnit unit) {
    const DisplayScale scale = cross.displayScale();
    const auto value = [&](std::int64_t pixels) {
        return number(scale.valueOfPixels(static_cast<double>(pixels), unit));
    };
    return "left " + value(cross.left) + " \u00B7 right " + value(cross.right) + " \u00B7 up " +
           value(cross.up) + " \u00B7 down " + value(cross.down) + " " + std::string(symbol(unit));
}

} // namespace spanlet::MeasurementText
