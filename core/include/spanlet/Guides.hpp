#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include <spanlet/Enum.hpp>
#include <spanlet/Json.hpp>
#include <spanlet/Units.hpp>
#include <spanlet/Uuid.hpp>

namespace spanlet {

/// Orientation of a guide line: a vertical guide stands at an x coordinate, a horizontal one
/// at a y coordinate.
enum class Axis { vertical, horizontal };

template <>
struct EnumTraits<Axis> {
    static constexpr std::array allCases{Axis::vertical, Axis::horizontal};
};

constexpr std::string_view rawValue(Axis a) {
    return a == Axis::vertical ? "vertical" : "horizontal";
}
constexpr std::string_view name(Axis a) {
    return a == Axis::vertical ? "Vertical" : "Horizontal";
}

/// One guide line. `position` is in global top-left points: x for a vertical guide, y for a
/// horizontal one.
struct Guide {
    Uuid id;
    Axis axis = Axis::vertical;
    double position = 0;

    friend bool operator==(const Guide&, const Guide&) = default;
};

/// The space between two neighbouring guides of one axis, in points (to > from).
struct Gap {
    Axis axis = Axis::vertical;
    double from = 0;
    double to = 0;

    [[nodiscard]] double length() const noexcept { return to - from; }
    [[nodiscard]] double middle() const noexcept { return (from + to) * 0.5; }

    friend bool operator==(const Gap&, const Gap&) = default;
};

/// All guides of all displays, in insertion order. Every position the set itself stores lies
/// on a device-pixel boundary of the display it was placed on and is finite.
struct GuideSet {
    /// A guide's 1-based place in keyboardOrder() and the number of guides.
    struct Place {
        std::int64_t index = 0;
        std::int64_t count = 0;
        friend bool operator==(const Place&, const Place&) = default;
    };

    std::vector<Guide> guides;

    [[nodiscard]] bool isEmpty() const noexcept { return guides.empty(); }
    [[nodiscard]] std::int64_t count() const noexcept {
        return static_cast<std::int64_t>(guides.size());
    }

    /// The first guide with this id, or nothing.
    [[nodiscard]] const Guide* find(const Uuid& id) const noexcept;

    /// Adds a guide at `at` rounded to the scale's pixel grid. A guide of the same axis within
    /// 0.001 of the rounded position is returned instead, unchanged. A non-finite position
    /// stores nothing: the returned guide (fresh id) is then not in the set.
    Guide add(Axis axis, double at, DisplayScale scale);
    /// Sets the first guide with this id to `to` rounded to the pixel grid; no duplicate check.
    /// Unknown ids and non-finite targets change nothing.
    void move(const Uuid& id, double to, DisplayScale scale);
    /// move(id, to: position + by, scale) for an existing guide.
    void nudge(const Uuid& id, double by, DisplayScale scale);
    /// Removes every guide with this id.
    void remove(const Uuid& id);
    void removeAll() noexcept { guides.clear(); }

    /// The guides of `axis` by ascending position; equal positions keep their order in the set.
    [[nodiscard]] std::vector<Guide> sorted(Axis axis) const;
    /// The gaps between neighbours of sorted(axis) that lie more than 0.001 apart, ascending.
    [[nodiscard]] std::vector<Gap> gaps(Axis axis) const;
    /// The guide nearest to the pointer (x, y) within `tolerance` points; of equally near
    /// guides the earliest in the set.
    [[nodiscard]] std::optional<Guide> hit(double x, double y, double tolerance) const;
    /// sorted(vertical) followed by sorted(horizontal): the order Tab steps through.
    [[nodiscard]] std::vector<Guide> keyboardOrder() const;
    /// The guide keyboard navigation selects after `after`, wrapping at both ends; without a
    /// known id, the first (forward) or last (backward) guide of keyboardOrder().
    [[nodiscard]] std::optional<Guide> next(const std::optional<Uuid>& after, bool forward) const;
    /// The guide's place in keyboardOrder(), or nothing for an unknown id.
    [[nodiscard]] std::optional<Place> position(const Uuid& of) const;

    friend bool operator==(const GuideSet&, const GuideSet&) = default;
};

void to_json(Json& j, const Axis& a);
void from_json(const Json& j, Axis& a);
void to_json(Json& j, const Guide& g);
void from_json(const Json& j, Guide& g);
void to_json(Json& j, const GuideSet& s);
void from_json(const Json& j, GuideSet& s);

} // namespace spanlet

template <>
struct std::hash<spanlet::Guide> {
    std::size_t operator()(const spanlet::Guide& g) const noexcept {
        std::size_t h = std::hash<spanlet::Uuid>{}(g.id);
        h = h * 31 + static_cast<std::size_t>(g.axis);
        // std::hash<double> gives +0 and -0 the same hash, matching operator==.
        return h * 31 + std::hash<double>{}(g.position);
    }
};
