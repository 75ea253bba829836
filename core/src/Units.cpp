#include <cmath>

#include <spanlet/NumberText.hpp>
#include <spanlet/Units.hpp>

namespace spanlet {

DisplayScale::DisplayScale(double factor) noexcept
    : factor_(std::isfinite(factor) && factor > 0 ? factor : 1.0) {}

double DisplayScale::roundedToPixel(double points) const noexcept {
    return std::round(points * factor_) / factor_;
}

double DisplayScale::value(double points, MeasureUnit unit) const noexcept {
    return unit == MeasureUnit::pixels ? points * factor_ : points;
}

double DisplayScale::pointsFrom(double value, MeasureUnit unit) const noexcept {
    return unit == MeasureUnit::pixels ? value / factor_ : value;
}

double DisplayScale::valueOfPixels(double pixels, MeasureUnit unit) const noexcept {
    return unit == MeasureUnit::pixels ? pixels : pixels / factor_;
}

double DisplayScale::step(MeasureUnit unit) const noexcept {
    return unit == MeasureUnit::pixels ? 1.0 / factor_ : 1.0;
}

std::string DisplayScale::textOfPoints(double points, MeasureUnit unit) const {
    return NumberText::string(value(points, unit), 2) + " " + std::string(symbol(unit));
}

std::string DisplayScale::textOfPixels(double pixels, MeasureUnit unit) const {
    return NumberText::string(valueOfPixels(pixels, unit), 2) + " " + std::string(symbol(unit));
}

} // namespace spanlet
