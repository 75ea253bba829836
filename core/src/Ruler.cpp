#include <algorithm>
#include <cmath>
#include <cstdint>

#include <spanlet/NumberText.hpp>
#include <spanlet/Ruler.hpp>

namespace spanlet::Ruler {

namespace {

constexpr std::array<double, 14> kCandidates{1,   2,   5,   10,  20,   25,   50,
                                             100, 200, 250, 500, 1000, 2000, 5000};
constexpr double kTolerance = 0.0001;
constexpr double kLabelSpacing = 40;

/// c is a multiple of m, allowing for floating-point error.
bool isMultiple(double c, double m) {
    return std::abs(c - m * std::round(c / m)) < kTolerance;
}

} // namespace

RulerSteps steps(DisplayScale scale, MeasureUnit unit, double minimumSpacing, double labelSpacing) {
    const double u = scale.step(unit); // points per unit
    RulerSteps result;

    const auto minor = std::find_if(kCandidates.begin(), kCandidates.end(),
                                    [&](double c) { return u * c >= minimumSpacing; });
    result.minor = minor != kCandidates.end() ? *minor : kCandidates.back();

    const auto major = std::find_if(kCandidates.begin(), kCandidates.end(), [&](double c) {
        return u * c >= labelSpacing && isMultiple(c, result.minor);
    });
    result.major = major != kCandidates.end() ? *major : result.minor * 10;

    for (double c : kCandidates) {
        if (c > result.minor && c < result.major && isMultiple(c, result.minor) &&
            isMultiple(result.major, c) && u * c >= 4 * minimumSpacing) {
            result.middle = c;
            break;
        }
    }
    return result;
}

std::vector<RulerTick> ticks(double length, DisplayScale scale, MeasureUnit unit,
                             double minimumSpacing) {
    // A hostile length must neither loop forever nor allocate without bound.
    if (!std::isfinite(length) || length < 0) {
        length = 0;
    }
    length = std::min(length, maximumTickedLength);

    const RulerSteps s = steps(scale, unit, minimumSpacing, kLabelSpacing);
    const double end = scale.value(length, unit) + kTolerance; // in units
    // A tiny minimum spacing or a huge scale factor could still ask for millions of ticks;
    // stop at a count no screen could show (a 100000-point ruler ticked every point).
    constexpr std::int64_t kMaximumTicks = 100001;

    std::vector<RulerTick> result;
    for (std::int64_t k = 0; k < kMaximumTicks; ++k) {
        const double v = s.minor * static_cast<double>(k);
        if (v > end) {
            break;
        }
        RulerTick tick;
        tick.position = scale.pointsFrom(v, unit);
        if (isMultiple(v, s.major)) {
            tick.level = RulerTick::Level::major;
            tick.label = NumberText::string(v, 2);
        } else if (s.middle && isMultiple(v, *s.middle)) {
            tick.level = RulerTick::Level::middle;
        }
        result.push_back(std::move(tick));
    }
    return result;
}

std::string readoutNumber(double offset, DisplayScale scale, MeasureUnit unit) {
    if (unit == MeasureUnit::pixels) {
        return NumberText::string(std::round(offset * scale.factor()), 0);
    }
    return NumberText::string(offset, 1);
}

std::string readout(double offset, DisplayScale scale, MeasureUnit unit) {
    return readoutNumber(offset, scale, unit) + " " + std::string(symbol(unit));
}

Point clamped(Point origin, Size size, Rect frame) {
    // A non-finite coordinate would survive min/max unchanged and lose the window; start it
    // from the frame's corner instead.
    const double x = std::isfinite(origin.x) ? origin.x : frame.minX();
    const double y = std::isfinite(origin.y) ? origin.y : frame.minY();
    return {
        std::min(std::max(x, frame.minX() - size.width + grip.width), frame.maxX() - grip.width),
        std::min(std::max(y, frame.minY() - size.height + grip.height),
                 frame.maxY() - grip.height)};
}

Point within(Point origin, Size size, Rect frame) {
    // std::max: a side longer than the frame starts at its start edge.
    return {std::max(std::min(origin.x, frame.maxX() - size.width), frame.minX()),
            std::max(std::min(origin.y, frame.maxY() - size.height), frame.minY())};
}

bool isReachable(Rect window, std::span<const Rect> screens) {
    // min/max skip NaN, so a NaN frame would look like it covers the whole screen.
    if (!std::isfinite(window.x) || !std::isfinite(window.y) || !std::isfinite(window.width) ||
        !std::isfinite(window.height)) {
        return false;
    }
    return std::any_of(screens.begin(), screens.end(), [&](const Rect& screen) {
        const Rect overlap = screen.intersection(window);
        return !overlap.isEmpty() && overlap.width >= grip.width - 1 &&
               overlap.height >= grip.height - 1;
    });
}

} // namespace spanlet::Ruler
