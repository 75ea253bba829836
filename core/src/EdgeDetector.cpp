#include <algorithm>
#include <cmath>
#include <cstddef>

#include <spanlet/EdgeDetector.hpp>

namespace spanlet {

EdgeOptions EdgeOptions::fromTolerance(double tolerance) noexcept {
    // NaN is no sound tolerance: treat it like "no tolerance" rather than poison the threshold.
    const double threshold = tolerance > 0 ? 0.01 + 0.25 * std::min(tolerance, 1.0) : 0.01;
    return {threshold, 2.5};
}

void to_json(Json& j, const Span& s) {
    j = Json{
        {"start", s.start}, {"end", s.end}, {"openStart", s.openStart}, {"openEnd", s.openEnd}};
}

void from_json(const Json& j, Span& s) {
    Span read;
    read.start = json::requireInt64(j, "start");
    read.end = json::requireInt64(j, "end");
    read.openStart = json::requireBool(j, "openStart");
    read.openEnd = json::requireBool(j, "openEnd");
    s = read;
}

Cross EdgeMeasurement::cross(DisplayScale scale, double pointerX, double pointerY, double originX,
                             double originY) const noexcept {
    const double factor = scale.factor();
    Cross c;
    c.pointerX = pointerX;
    c.pointerY = pointerY;
    c.minX = originX + static_cast<double>(horizontal.start) / factor;
    c.maxX = originX + static_cast<double>(horizontal.end) / factor;
    c.minY = originY + static_cast<double>(vertical.start) / factor;
    c.maxY = originY + static_cast<double>(vertical.end) / factor;
    c.left = left();
    c.right = right();
    c.up = up();
    c.down = down();
    c.scale = factor;
    c.openLeft = horizontal.openStart;
    c.openRight = horizontal.openEnd;
    c.openUp = vertical.openStart;
    c.openDown = vertical.openEnd;
    return c;
}

namespace {

/// Slack (channel levels) of the "lies between" test of a blended pixel.
constexpr int kBlendSlack = 4;

/// RGBA::difference in whole channel levels (0–255); the scan compares levels against a
/// precomputed level threshold and only turns them into the 0–1 scale for the ratio tests.
inline int levels(RGBA u, RGBA v) noexcept {
    const auto d = [](int p, int q) { return p > q ? p - q : q - p; };
    return std::max(std::max(d(u.r, v.r), d(u.g, v.g)), std::max(d(u.b, v.b), d(u.a, v.a)));
}

inline double unit(int levelDifference) noexcept {
    return levelDifference / 255.0;
}

/// Smallest level difference d with d / 255 > threshold (256: no difference exceeds it), so
/// that "diff > T" is exactly "levels ≥ changeLevels", NaN included.
int changeLevels(double threshold) noexcept {
    int d = 0;
    while (d <= 255 && !(unit(d) > threshold)) {
        ++d;
    }
    return d;
}

/// Steps skipped by one quiet-run check; see Walk::quiet().
constexpr std::int64_t kRunSteps = 32;
constexpr std::size_t kPixelBytes = sizeof(RGBA);
constexpr std::size_t kRunBytes = kRunSteps * kPixelBytes;

/// Largest channel difference between pixels `apart` positions apart, over the `count` bytes
/// from `bytes`. Written for the vectoriser: byte-wise absolute differences and a max
/// reduction, no early exit.
inline int largestStep(const std::uint8_t* bytes, std::size_t count, std::size_t apart) noexcept {
    std::uint8_t worst = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t a = bytes[i];
        const std::uint8_t b = bytes[i + apart];
        worst = std::max(worst, static_cast<std::uint8_t>(a > b ? a - b : b - a));
    }
    return worst;
}

/// The kRunSteps + 2 pixels from `bytes` (in memory order) hold no neighbour difference and
/// no difference two pixels apart that reaches `change` levels.
inline bool quietPixels(const std::uint8_t* bytes, int change) noexcept {
    return largestStep(bytes, kRunBytes + kPixelBytes, kPixelBytes) < change &&
           largestStep(bytes, kRunBytes, 2 * kPixelBytes) < change;
}

/// One direction of a line as seen from the start pixel: p(k) = P[s + d × k].
class Walk {
public:
    Walk(std::span<const RGBA> line, std::int64_t start, int direction) noexcept
        : pixels_(line.data()), start_(start), direction_(direction),
          ahead_(direction > 0 ? static_cast<std::int64_t>(line.size()) - 1 - start : start),
          behind_(static_cast<std::int64_t>(line.size()) - 1 - ahead_) {}

    /// Pixels beyond the start in the walking direction (L).
    [[nodiscard]] std::int64_t ahead() const noexcept { return ahead_; }
    [[nodiscard]] bool inside(std::int64_t k) const noexcept {
        return k >= -behind_ && k <= ahead_;
    }
    [[nodiscard]] RGBA at(std::int64_t k) const noexcept {
        return pixels_[static_cast<std::ptrdiff_t>(start_ + direction_ * k)];
    }
    /// Among p(k) … p(k + kRunSteps + 1) no pixel differs from its neighbour or from the pixel
    /// after that by `change` levels or more. The caller keeps p(k + kRunSteps + 1) inside.
    [[nodiscard]] bool quiet(std::int64_t k, int change) const noexcept {
        const std::int64_t first = direction_ > 0 ? start_ + k : start_ - k - (kRunSteps + 1);
        return quietPixels(reinterpret_cast<const std::uint8_t*>(pixels_ + first), change);
    }

private:
    const RGBA* pixels_;
    std::int64_t start_;
    std::int64_t direction_;
    std::int64_t ahead_;
    std::int64_t behind_;
};

struct ScanResult {
    std::int64_t k;
    bool open;
};

/// The smaller of the differences whose far pixel lies inside the list; 0 when neither does.
inline double localVariation(const Walk& w, RGBA u, std::int64_t uFar, RGBA v,
                             std::int64_t vFar) noexcept {
    const bool hasU = w.inside(uFar);
    const bool hasV = w.inside(vFar);
    if (hasU && hasV) {
        return unit(std::min(levels(u, w.at(uFar)), levels(v, w.at(vFar))));
    }
    if (hasU) {
        return unit(levels(u, w.at(uFar)));
    }
    return hasV ? unit(levels(v, w.at(vFar))) : 0.0;
}

/// The scan in one direction: the region reaches k pixels beyond the start and the edge lies
/// between p(k) and p(k + 1); open when the end of the list came first.
ScanResult scan(const Walk& w, int change, double sharpness) noexcept {
    const std::int64_t last = w.ahead();
    if (last < 1) {
        return {last, true};
    }
    // A step needs diff(A, B) > T and a ramp diff(A, C) > T: a run where neither occurs can be
    // skipped in bulk. Most of a walk crosses such runs (flat colour, noise, gentle gradients).
    std::int64_t k = 0;
    for (;;) {
        if (change >= 1) {
            while (k + kRunSteps + 1 <= last && w.quiet(k, change)) {
                k += kRunSteps;
            }
        }
        RGBA a = w.at(k);
        RGBA b = w.at(k + 1);
        int ab = levels(a, b);
        for (const std::int64_t stop = k + kRunSteps; k < stop; ++k) {
            const bool hasC = k + 2 <= last;
            const RGBA c = hasC ? w.at(k + 2) : b;
            const int bc = hasC ? levels(b, c) : 0;
            if (ab >= change) {
                const double jump = unit(ab);
                if (sharpness * localVariation(w, a, k - 1, b, k + 2) < jump) {
                    // A blend closer to A belongs to A's side.
                    const bool bWithA =
                        hasC && b.isBetween(a, c, kBlendSlack) && levels(a, c) >= change && ab < bc;
                    return {bWithA ? k + 1 : k, false};
                }
            }
            // Ramp: a change spread over two steps. Its size is at most ab + bc per channel.
            if (hasC && bc < change && ab + bc >= change) {
                const int ac = levels(a, c);
                if (ac >= change && b.isBetween(a, c, kBlendSlack) &&
                    sharpness * localVariation(w, a, k - 2, c, k + 4) < unit(ac)) {
                    return {ab < bc ? k + 1 : k, false};
                }
            }
            if (last < k + 2) {
                return {last, true};
            }
            a = b;
            b = c;
            ab = bc;
        }
    }
}

Span spanFrom(std::span<const RGBA> line, std::int64_t from, int change,
              double sharpness) noexcept {
    const ScanResult forward = scan(Walk(line, from, +1), change, sharpness);
    const ScanResult backward = scan(Walk(line, from, -1), change, sharpness);
    return {from - backward.k, from + forward.k + 1, backward.open, forward.open};
}

bool isIndex(std::span<const RGBA> line, std::int64_t i) noexcept {
    return i >= 0 && static_cast<std::uint64_t>(i) < line.size();
}

} // namespace

namespace EdgeDetector {

std::optional<EdgeMeasurement> measure(std::span<const RGBA> row, std::span<const RGBA> column,
                                       std::int64_t x, std::int64_t y,
                                       const EdgeOptions& options) noexcept {
    if (!isIndex(row, x) || !isIndex(column, y)) {
        return std::nullopt;
    }
    const int change = changeLevels(options.threshold);
    return EdgeMeasurement{x, y, spanFrom(row, x, change, options.sharpness),
                           spanFrom(column, y, change, options.sharpness)};
}

std::optional<EdgeMeasurement> measure(const PixelBuffer& buffer, std::int64_t x, std::int64_t y,
                                       const EdgeOptions& options) {
    if (!buffer.contains(x, y)) {
        return std::nullopt;
    }
    const std::vector<RGBA> column = buffer.column(x);
    return measure(buffer.row(y), column, x, y, options);
}

std::optional<Span> span(std::span<const RGBA> along, std::int64_t from,
                         const EdgeOptions& options) noexcept {
    if (!isIndex(along, from)) {
        return std::nullopt;
    }
    return spanFrom(along, from, changeLevels(options.threshold), options.sharpness);
}

} // namespace EdgeDetector

} // namespace spanlet
