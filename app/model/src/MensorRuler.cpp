#include <algorithm>
#include <cmath>

#include <spanlet/Ruler.hpp>
#include <spanlet/model/Mensor.hpp>
#include <spanlet/model/PreferenceLimits.hpp>
#include <spanlet/screen/Desktop.hpp>

namespace spanlet {

namespace {

/// Where the ruler is centred when there is no display at all.
constexpr Rect kFallbackFrame{0, 0, 1440, 900};

/// The longest side (points) of any display; 0 without displays.
double longestSide(const std::vector<ScreenInfo>& screens) {
    double longest = 0;
    for (const ScreenInfo& s : screens) {
        longest = std::max({longest, s.frame.width, s.frame.height});
    }
    return longest;
}

} // namespace

void Mensor::toggleRuler() {
    rulerVisible_.set(!*rulerVisible_);
    syncViews();
    announce(*rulerVisible_ ? "Ruler shown" : "Ruler hidden");
}

Rect Mensor::rulerFrame() const {
    // The stored length and place may be anything a hand-edited file holds: only usable
    // values size and place the window.
    const double length =
        PreferenceLimits::usableRulerLength(prefs_->rulerLength, longestSide(*screens_));
    const Size size = prefs_->rulerOrientation == RulerOrientation::horizontal
                          ? Size{length, rulerThickness}
                          : Size{rulerThickness, length};
    if (const auto origin = PreferenceLimits::usableRulerOrigin(prefs_->rulerX, prefs_->rulerY)) {
        return {origin->x, origin->y, size.width, size.height};
    }
    const auto display = Desktop::screen(*tracking_.pointer(), *screens_);
    const Rect f = display ? display->frame : kFallbackFrame;
    return {f.x + f.width / 2 - size.width / 2, f.y + f.height / 2 - size.height / 2, size.width,
            size.height};
}

std::optional<Point> Mensor::rulerOrigin(Point origin) const {
    const Size size = rulerFrame().size();
    if (!PreferenceLimits::usableCoordinate(origin.x) ||
        !PreferenceLimits::usableCoordinate(origin.y)) {
        return std::nullopt; // not a place on any desktop
    }
    const Point centre{origin.x + size.width / 2, origin.y + size.height / 2};
    double s = DisplayScale::standard.factor();
    if (const auto display = Desktop::screen(centre, *screens_)) {
        origin = Ruler::clamped(origin, size, display->frame);
        s = display->scale.factor();
    }
    // On whole device pixels, halves away from zero.
    return Point{std::round(origin.x * s) / s, std::round(origin.y * s) / s};
}

void Mensor::moveRuler(Point origin) {
    if (const auto placed = rulerOrigin(origin)) {
        updatePrefs([placed](Preferences& p) {
            p.rulerX = placed->x;
            p.rulerY = placed->y;
        });
    }
}

void Mensor::keepRulerReachable() {
    std::vector<Rect> frames;
    frames.reserve(screens_->size());
    for (const ScreenInfo& s : *screens_) {
        frames.push_back(s.frame);
    }
    const bool stored =
        PreferenceLimits::usableRulerOrigin(prefs_->rulerX, prefs_->rulerY).has_value();
    if (stored && Ruler::isReachable(rulerFrame(), frames)) {
        return;
    }
    if (const auto placed = rulerOrigin(rulerFrame().origin())) {
        Preferences next = *prefs_;
        next.rulerX = placed->x;
        next.rulerY = placed->y;
        storePrefs(std::move(next));
    }
}

void Mensor::resetRuler() {
    updatePrefs([](Preferences& p) {
        p.rulerX.reset();
        p.rulerY.reset();
    });
    if (*rulerVisible_) {
        announce("Ruler moved to the middle of the display");
    } else {
        toggleRuler();
    }
}

void Mensor::toggleRulerOrientation() {
    updatePrefs([](Preferences& p) { p.rulerOrientation = other(p.rulerOrientation); });
}

void Mensor::setRulerLength(double length) {
    if (std::isnan(length)) {
        return; // no length at all: keep the current one
    }
    const double longest = longestSide(*screens_);
    const double clamped = screens_->empty() ? std::clamp(length, 80.0, 2000.0)
                                             : std::min(std::max(length, 80.0), longest);
    const double rounded = std::round(clamped);
    updatePrefs([rounded](Preferences& p) { p.rulerLength = rounded; });
}

} // namespace spanlet
