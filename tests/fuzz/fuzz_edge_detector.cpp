// The edge detector on lines built from the input: it never reads outside the lines, its spans
// always hold the pointer within the line, and it agrees with a plain step-by-step walk that
// evaluates every comparison on the 0–1 difference scale (no level arithmetic, no skipping).
#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include <spanlet/EdgeDetector.hpp>

#include "FuzzCheck.hpp"

namespace {

using spanlet::RGBA;
using spanlet::fuzz::require;

struct Walked {
    std::int64_t k;
    bool open;
};

/// The walk in one direction, one pixel at a time.
Walked plainScan(std::span<const RGBA> line, std::int64_t s, std::int64_t d, double t,
                 double sharp) {
    const auto n = static_cast<std::int64_t>(line.size());
    const std::int64_t last = d > 0 ? n - 1 - s : s;
    const auto inside = [&](std::int64_t k) { return s + d * k >= 0 && s + d * k < n; };
    const auto p = [&](std::int64_t k) { return line[static_cast<std::size_t>(s + d * k)]; };
    const auto variation = [&](RGBA u, std::int64_t uk, RGBA v, std::int64_t vk) {
        std::optional<double> m;
        if (inside(uk)) {
            m = u.difference(p(uk));
        }
        if (inside(vk)) {
            m = m ? std::min(*m, v.difference(p(vk))) : v.difference(p(vk));
        }
        return m.value_or(0.0);
    };
    if (last < 1) {
        return {last, true};
    }
    for (std::int64_t k = 0;; ++k) {
        const RGBA a = p(k);
        const RGBA b = p(k + 1);
        const bool hasC = inside(k + 2);
        const RGBA c = hasC ? p(k + 2) : b;
        bool ramp = hasC;
        if (a.difference(b) > t) {
            if (sharp * variation(a, k - 1, b, k + 2) < a.difference(b)) {
                const bool withA = hasC && b.isBetween(a, c, 4) && a.difference(c) > t &&
                                   a.difference(b) < b.difference(c);
                return {withA ? k + 1 : k, false};
            }
        }
        if (ramp && b.difference(c) <= t && a.difference(c) > t && b.isBetween(a, c, 4) &&
            sharp * variation(a, k - 2, c, k + 4) < a.difference(c)) {
            return {a.difference(b) < b.difference(c) ? k + 1 : k, false};
        }
        if (last < k + 2) {
            return {last, true};
        }
    }
}

/// Pixels from the input: mostly runs and small drifts, with occasional jumps, so the walks
/// cross long quiet stretches as well as edges, blends and noise.
std::vector<RGBA> pixelsFrom(const std::uint8_t* data, std::size_t size) {
    std::vector<RGBA> out;
    RGBA current = RGBA::gray(128);
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t byte = data[i];
        const int arg = byte >> 2;
        switch (byte & 3) {
        case 0:
            out.insert(out.end(), static_cast<std::size_t>(arg % 48 + 1), current);
            break;
        case 1: {
            const auto drift = static_cast<std::uint8_t>(arg % 13 - 6);
            current.r = static_cast<std::uint8_t>(current.r + drift);
            current.g = static_cast<std::uint8_t>(current.g + (arg & 1));
            out.push_back(current);
            break;
        }
        case 2:
            current = RGBA::gray(static_cast<std::uint8_t>(arg * 4));
            out.push_back(current);
            break;
        default:
            current.a = static_cast<std::uint8_t>(arg * 4 + 3);
            out.push_back(current);
            break;
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) {
        return 0;
    }
    const double threshold = data[0] / 255.0 * 0.3 - 0.01; // a few negative thresholds too
    const double sharpness = data[1] / 32.0;
    const std::vector<RGBA> row = pixelsFrom(data + 4, size - 4);
    std::vector<RGBA> column(row.rbegin(), row.rend());
    column.resize(column.size() / 2 + 1, RGBA::white);
    const auto n = static_cast<std::int64_t>(row.size());
    const std::int64_t x = n == 0 ? 0 : (data[2] * 257 + data[3]) % n;
    const std::int64_t y = x / 2;
    const spanlet::EdgeOptions options(threshold, sharpness);

    const auto m = spanlet::EdgeDetector::measure(row, column, x, y, options);
    if (n == 0) {
        require(!m);
        return 0;
    }
    require(m.has_value());
    const auto lines = {std::pair{m->horizontal, std::pair{x, std::span<const RGBA>(row)}},
                        std::pair{m->vertical, std::pair{y, std::span<const RGBA>(column)}}};
    for (const auto& [s, at] : lines) {
        const auto [from, line] = at;
        const auto len = static_cast<std::int64_t>(line.size());
        require(0 <= s.start && s.start <= from && from < s.end && s.end <= len);
        require(!s.openStart || s.start == 0);
        require(!s.openEnd || s.end == len);
        const Walked forward = plainScan(line, from, +1, threshold, sharpness);
        const Walked backward = plainScan(line, from, -1, threshold, sharpness);
        require(s.end == from + forward.k + 1 && s.openEnd == forward.open);
        require(s.start == from - backward.k && s.openStart == backward.open);
    }
    require(m->left() + m->right() == m->width() && m->up() + m->down() == m->height());
    require(spanlet::EdgeDetector::span(row, x, options) == m->horizontal);
    return 0;
}
