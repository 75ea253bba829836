#include <algorithm>
#include <cmath>
#include <iterator>

#include <spanlet/Guides.hpp>

namespace spanlet {

namespace {

// Two positions closer than this are the same place (points).
constexpr double kSamePlace = 0.001;

// The nearest device-pixel boundary to `points`, or nothing for a non-finite position. Above
// 2^52 every double is already a whole number, so where scaling overflows the value itself is
// on the grid and is kept.
std::optional<double> onPixelGrid(double points, DisplayScale scale) {
    if (!std::isfinite(points)) {
        return std::nullopt;
    }
    const double rounded = scale.roundedToPixel(points);
    return std::isfinite(rounded) ? rounded : points;
}

// Ascending position as a strict weak order even when a position is NaN (a set built in code
// may hold one): NaNs sort after every number and are equivalent to each other.
bool before(const Guide& a, const Guide& b) {
    if (std::isnan(a.position)) {
        return false;
    }
    return std::isnan(b.position) || a.position < b.position;
}

} // namespace

const Guide* GuideSet::find(const Uuid& id) const noexcept {
    const auto it =
        std::find_if(guides.begin(), guides.end(), [&](const Guide& g) { return g.id == id; });
    return it == guides.end() ? nullptr : &*it;
}

Guide GuideSet::add(Axis axis, double at, DisplayScale scale) {
    const auto position = onPixelGrid(at, scale);
    if (!position) {
        return Guide{Uuid::random(), axis, at};
    }
    for (const Guide& g : guides) {
        if (g.axis == axis && std::abs(g.position - *position) <= kSamePlace) {
            return g;
        }
    }
    guides.push_back(Guide{Uuid::random(), axis, *position});
    return guides.back();
}

void GuideSet::move(const Uuid& id, double to, DisplayScale scale) {
    const auto position = onPixelGrid(to, scale);
    const auto it =
        std::find_if(guides.begin(), guides.end(), [&](const Guide& g) { return g.id == id; });
    if (position && it != guides.end()) {
        it->position = *position;
    }
}

void GuideSet::nudge(const Uuid& id, double by, DisplayScale scale) {
    if (const Guide* g = find(id)) {
        move(id, g->position + by, scale);
    }
}

void GuideSet::remove(const Uuid& id) {
    std::erase_if(guides, [&](const Guide& g) { return g.id == id; });
}

std::vector<Guide> GuideSet::sorted(Axis axis) const {
    std::vector<Guide> result;
    std::copy_if(guides.begin(), guides.end(), std::back_inserter(result),
                 [&](const Guide& g) { return g.axis == axis; });
    std::stable_sort(result.begin(), result.end(), before);
    return result;
}

std::vector<Gap> GuideSet::gaps(Axis axis) const {
    const auto order = sorted(axis);
    std::vector<Gap> result;
    for (std::size_t i = 1; i < order.size(); ++i) {
        const double from = order[i - 1].position;
        const double to = order[i].position;
        // False for NaN and for two equal infinities, so every gap has to > from.
        if (to - from > kSamePlace) {
            result.push_back(Gap{axis, from, to});
        }
    }
    return result;
}

std::optional<Guide> GuideSet::hit(double x, double y, double tolerance) const {
    std::optional<Guide> best;
    double bestDistance = 0;
    for (const Guide& g : guides) {
        const double distance = std::abs((g.axis == Axis::vertical ? x : y) - g.position);
        // NaN distances fail both comparisons and never hit.
        if (distance <= tolerance && (!best || distance < bestDistance)) {
            best = g;
            bestDistance = distance;
        }
    }
    return best;
}

std::vector<Guide> GuideSet::keyboardOrder() const {
    auto order = sorted(Axis::vertical);
    const auto horizontal = sorted(Axis::horizontal);
    order.insert(order.end(), horizontal.begin(), horizontal.end());
    return order;
}

std::optional<Guide> GuideSet::next(const std::optional<Uuid>& after, bool forward) const {
    const auto order = keyboardOrder();
    if (order.empty()) {
        return std::nullopt;
    }
    const auto it = after ? std::find_if(order.begin(), order.end(),
                                         [&](const Guide& g) { return g.id == *after; })
                          : order.end();
    if (it == order.end()) {
        return forward ? order.front() : order.back();
    }
    const auto count = order.size();
    const auto k = static_cast<std::size_t>(it - order.begin());
    return order[forward ? (k + 1) % count : (k + count - 1) % count];
}

std::optional<GuideSet::Place> GuideSet::position(const Uuid& of) const {
    const auto order = keyboardOrder();
    const auto it =
        std::find_if(order.begin(), order.end(), [&](const Guide& g) { return g.id == of; });
    if (it == order.end()) {
        return std::nullopt;
    }
    return Place{static_cast<std::int64_t>(it - order.begin()) + 1,
                 static_cast<std::int64_t>(order.size())};
}

void to_json(Json& j, const Axis& a) {
    j = rawValue(a);
}

void from_json(const Json& j, Axis& a) {
    if (!j.is_string()) {
        throw JsonDecodeError("axis is not a string");
    }
    const auto axis = fromRawValue<Axis>(j.get_ref<const std::string&>());
    if (!axis) {
        throw JsonDecodeError("unknown axis");
    }
    a = *axis;
}

void to_json(Json& j, const Guide& g) {
    j = Json{{"id", g.id}, {"axis", g.axis}, {"position", g.position}};
}

void from_json(const Json& j, Guide& g) {
    Guide decoded;
    decoded.id = json::requireKey(j, "id").get<Uuid>();
    decoded.axis = json::requireKey(j, "axis").get<Axis>();
    decoded.position = json::requireDouble(j, "position");
    // A number too large for a double parses as infinity; it could never be written back.
    if (!std::isfinite(decoded.position)) {
        throw JsonDecodeError("position is not finite");
    }
    g = decoded;
}

void to_json(Json& j, const GuideSet& s) {
    j = Json{{"guides", s.guides}};
}

void from_json(const Json& j, GuideSet& s) {
    const Json& list = json::requireKey(j, "guides");
    if (!list.is_array()) {
        throw JsonDecodeError("guides is not an array");
    }
    s.guides = list.get<std::vector<Guide>>();
}

} // namespace spanlet
