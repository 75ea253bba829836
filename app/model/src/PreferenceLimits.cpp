#include <algorithm>
#include <cmath>

#include <spanlet/model/PreferenceLimits.hpp>

namespace spanlet::PreferenceLimits {

double usableTolerance(double stored) {
    if (std::isnan(stored)) {
        return defaultTolerance;
    }
    return std::clamp(stored, 0.0, 1.0);
}

double usableRulerLength(double stored, double longestSide) {
    const double length = std::isfinite(stored) ? stored : defaultRulerLength;
    const double longest =
        std::isfinite(longestSide) && longestSide > 0 ? longestSide : rulerLengthWithoutDisplays;
    return std::clamp(length, minimumRulerLength, std::max(minimumRulerLength, longest));
}

bool usableCoordinate(double value) {
    return std::isfinite(value) && std::abs(value) <= coordinateLimit;
}

std::optional<Point> usableRulerOrigin(std::optional<double> x, std::optional<double> y) {
    if (!x || !y || !usableCoordinate(*x) || !usableCoordinate(*y)) {
        return std::nullopt;
    }
    return Point{*x, *y};
}

GuideSet usableGuides(GuideSet guides) {
    std::erase_if(guides.guides, [](const Guide& g) { return !usableCoordinate(g.position); });
    return guides;
}

} // namespace spanlet::PreferenceLimits
