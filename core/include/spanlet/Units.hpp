#pragma once

#include <array>
#include <string>
#include <string_view>

#include <spanlet/Enum.hpp>

namespace spanlet {

/// The unit shown to the user.
enum class MeasureUnit { points, pixels };

template <>
struct EnumTraits<MeasureUnit> {
    static constexpr std::array allCases{MeasureUnit::points, MeasureUnit::pixels};
};

constexpr std::string_view rawValue(MeasureUnit u) {
    return u == MeasureUnit::points ? "points" : "pixels";
}
constexpr std::string_view id(MeasureUnit u) {
    return rawValue(u);
}
constexpr std::string_view name(MeasureUnit u) {
    return u == MeasureUnit::points ? "Points" : "Pixels";
}
constexpr std::string_view spokenName(MeasureUnit u) {
    return rawValue(u);
}
constexpr std::string_view symbol(MeasureUnit u) {
    return u == MeasureUnit::points ? "pt" : "px";
}
constexpr MeasureUnit other(MeasureUnit u) {
    return u == MeasureUnit::points ? MeasureUnit::pixels : MeasureUnit::points;
}

/// Device pixels per point of one display. The factor is always positive and finite, so
/// dividing by it is always defined.
class DisplayScale {
public:
    /// Keeps `factor` when it is positive and finite; 0, negatives, NaN and infinity become 1.
    explicit DisplayScale(double factor) noexcept;

    static const DisplayScale standard;
    static const DisplayScale retina;

    [[nodiscard]] double factor() const noexcept { return factor_; }

    [[nodiscard]] double pointsFromPixels(double pixels) const noexcept { return pixels / factor_; }
    /// The nearest coordinate (points) on a device-pixel boundary, rounding half away from zero.
    [[nodiscard]] double roundedToPixel(double points) const noexcept;
    /// A length in points expressed in `unit`.
    [[nodiscard]] double value(double points, MeasureUnit unit) const noexcept;
    /// Inverse of value(points, unit): a length in `unit` back to points.
    [[nodiscard]] double pointsFrom(double value, MeasureUnit unit) const noexcept;
    /// A length in device pixels expressed in `unit`.
    [[nodiscard]] double valueOfPixels(double pixels, MeasureUnit unit) const noexcept;
    /// The length in points of one whole unit.
    [[nodiscard]] double step(MeasureUnit unit) const noexcept;
    /// "10.5 pt", "21 px": a length in points, printed in `unit` with two decimals at most.
    [[nodiscard]] std::string textOfPoints(double points, MeasureUnit unit) const;
    /// The same for a length in device pixels.
    [[nodiscard]] std::string textOfPixels(double pixels, MeasureUnit unit) const;

    friend bool operator==(const DisplayScale&, const DisplayScale&) = default;

private:
    double factor_;
};

inline const DisplayScale DisplayScale::standard{1.0};
inline const DisplayScale DisplayScale::retina{2.0};

} // namespace spanlet

template <>
struct std::hash<spanlet::DisplayScale> {
    std::size_t operator()(const spanlet::DisplayScale& s) const noexcept {
        return std::hash<double>{}(s.factor());
    }
};
