#include <cmath>

#include <spanlet/Json.hpp>
#include <spanlet/shell/WindowPositions.hpp>

namespace spanlet {

std::string WindowPositions::key(Windows::Kind kind) {
    return "Spanlet." + std::string(Windows::rawValue(kind));
}

std::optional<Point> WindowPositions::position(Windows::Kind kind) const {
    const auto bytes = store_.data(key(kind));
    if (!bytes) {
        return std::nullopt;
    }
    try {
        const Json json = Json::parse(*bytes);
        const Point p{json::requireDouble(json, "x"), json::requireDouble(json, "y")};
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
            return std::nullopt;
        }
        return p;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void WindowPositions::remember(Windows::Kind kind, Point topLeft) {
    if (position(kind) == std::optional<Point>(topLeft)) {
        return;
    }
    const Json json{{"x", topLeft.x}, {"y", topLeft.y}};
    store_.setData(key(kind), json.dump());
}

} // namespace spanlet
