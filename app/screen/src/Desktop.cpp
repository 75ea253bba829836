#include <algorithm>
#include <cstddef>

#include <spanlet/DevicePixels.hpp>
#include <spanlet/screen/Desktop.hpp>

namespace spanlet::Desktop {

namespace {

// Squared straight-line distance from `p` to the nearest point of `r` (0 inside).
double distanceSquared(Point p, const Rect& r) {
    const double dx = std::max({r.minX() - p.x, p.x - r.maxX(), 0.0});
    const double dy = std::max({r.minY() - p.y, p.y - r.maxY(), 0.0});
    return dx * dx + dy * dy;
}

// Index of the rectangle nearest to `p`; a later one replaces the candidate only when strictly
// nearer, so ties (and NaN distances) keep the earlier one. `frames` must not be empty.
template <class T, class FrameOf>
std::size_t nearestIndex(Point p, std::span<const T> items, FrameOf frameOf) {
    std::size_t best = 0;
    double bestDistance = distanceSquared(p, frameOf(items[0]));
    for (std::size_t i = 1; i < items.size(); ++i) {
        const double d = distanceSquared(p, frameOf(items[i]));
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

} // namespace

Rect flipped(const Rect& rect, double primaryHeight) {
    return {rect.minX(), primaryHeight - rect.maxY(), rect.width, rect.height};
}

double primaryHeight(std::span<const ScreenInfo> screens) {
    return screens.empty() ? 0.0 : screens.front().frame.height;
}

ScreenInfo makeScreenInfo(std::uint32_t id, const Rect& frame, double scale, double primaryHeight) {
    return {id, frame, flipped(frame, primaryHeight), DisplayScale(scale)};
}

std::optional<ScreenInfo> screenContaining(Point point, std::span<const ScreenInfo> screens) {
    for (const ScreenInfo& s : screens) {
        if (s.frame.insetBy(-0.5, -0.5).contains(point)) {
            return s;
        }
    }
    return std::nullopt;
}

std::optional<ScreenInfo> screen(Point point, std::span<const ScreenInfo> screens) {
    if (screens.empty()) {
        return std::nullopt;
    }
    if (auto holding = screenContaining(point, screens)) {
        return holding;
    }
    return screens[nearestIndex(point, screens, [](const ScreenInfo& s) { return s.frame; })];
}

Point pointFromDevicePixels(Point device, std::span<const DeviceScreen> screens) {
    if (screens.empty()) {
        return device;
    }
    std::size_t index = 0;
    bool found = false;
    for (std::size_t i = 0; i < screens.size() && !found; ++i) {
        if (screens[i].deviceFrame.contains(device)) {
            index = i;
            found = true;
        }
    }
    if (!found) {
        index = nearestIndex(device, screens, [](const DeviceScreen& s) { return s.deviceFrame; });
    }
    const DeviceScreen& s = screens[index];
    const double factor = DisplayScale(s.scale).factor();
    return {s.logicalFrame.minX() + DevicePixels::toPoints(device.x - s.deviceFrame.minX(), factor),
            s.logicalFrame.minY() +
                DevicePixels::toPoints(device.y - s.deviceFrame.minY(), factor)};
}

} // namespace spanlet::Desktop
