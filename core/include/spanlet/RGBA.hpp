#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <type_traits>

namespace spanlet {

/// One non-premultiplied sRGB pixel; the field order is the byte order in memory.
///
/// A trivial type, so that a buffer of pixels is copied as one block of memory (a capture is
/// served again, a column or a patch cut out, on every pointer move): `RGBA{}` is clear, and
/// so is every pixel of a vector made with a size, but a plain `RGBA p;` holds no value yet.
struct RGBA {
    std::uint8_t r;
    std::uint8_t g;
    std::uint8_t b;
    std::uint8_t a;

    RGBA() = default;
    constexpr RGBA(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha)
        : r(red), g(green), b(blue), a(alpha) {}
    static constexpr RGBA gray(std::uint8_t value) { return {value, value, value, 255}; }

    static const RGBA white;
    static const RGBA black;
    static const RGBA clear;

    /// Largest absolute channel difference (alpha included) on the 0–1 scale.
    [[nodiscard]] constexpr double difference(RGBA o) const noexcept {
        const int d =
            std::max({absDiff(r, o.r), absDiff(g, o.g), absDiff(b, o.b), absDiff(a, o.a)});
        return d / 255.0;
    }

    /// Every channel lies within [min(p, q) − slack, max(p, q) + slack].
    [[nodiscard]] constexpr bool isBetween(RGBA p, RGBA q, int slack) const noexcept {
        return within(r, p.r, q.r, slack) && within(g, p.g, q.g, slack) &&
               within(b, p.b, q.b, slack) && within(a, p.a, q.a, slack);
    }

    /// Per channel round(self + t × (other − self)), half away from zero, clamped to 0–255.
    [[nodiscard]] RGBA mixed(RGBA other, double t) const noexcept {
        return {mix(r, other.r, t), mix(g, other.g, t), mix(b, other.b, t), mix(a, other.a, t)};
    }

    friend bool operator==(const RGBA&, const RGBA&) = default;

private:
    static constexpr int absDiff(int x, int y) { return x > y ? x - y : y - x; }
    static constexpr bool within(int v, int p, int q, int slack) {
        return v >= std::min(p, q) - slack && v <= std::max(p, q) + slack;
    }
    static std::uint8_t mix(int from, int to, double t) {
        const double v = std::round(from + t * (to - from));
        if (!(v > 0.0)) {
            return 0; // also NaN
        }
        return v >= 255.0 ? 255 : static_cast<std::uint8_t>(v);
    }
};

static_assert(std::is_trivial_v<RGBA>);

inline constexpr RGBA RGBA::white{255, 255, 255, 255};
inline constexpr RGBA RGBA::black{0, 0, 0, 255};
inline constexpr RGBA RGBA::clear{0, 0, 0, 0};

} // namespace spanlet

template <>
struct std::hash<spanlet::RGBA> {
    std::size_t operator()(const spanlet::RGBA& p) const noexcept {
        return std::hash<std::uint32_t>{}(std::uint32_t{p.r} << 24 | std::uint32_t{p.g} << 16 |
                                          std::uint32_t{p.b} << 8 | std::uint32_t{p.a});
    }
};
