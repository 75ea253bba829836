#include <algorithm>
#include <cmath>

#include <spanlet/Ruler.hpp>
#include <spanlet/model/PreferenceLimits.hpp>
#include <spanlet/model/RulerState.hpp>
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

/// `origin` on whole device pixels of `display` (scale 1 without one), halves away from zero.
Point onDevicePixels(Point origin, const std::optional<ScreenInfo>& display) {
    const double s = display ? display->scale.factor() : DisplayScale::standard.factor();
    return {std::round(origin.x * s) / s, std::round(origin.y * s) / s};
}

} // namespace

RulerState::RulerState(Settings& settings, const Observable<std::vector<ScreenInfo>>& screens,
                       const PointerTracking& tracking, Messages& messages,
                       std::function<void()> changed)
    : settings_(settings), screens_(screens), tracking_(tracking), messages_(messages),
      changed_(std::move(changed)) {}

void RulerState::toggle() {
    visible_.set(!*visible_);
    changed_();
    messages_.announce(*visible_ ? "Ruler shown" : "Ruler hidden");
}

Rect RulerState::frame() const {
    const Preferences& prefs = *settings_.prefs();
    // The stored length and place may be anything a hand-edited file holds: only usable
    // values size and place the window.
    const double length =
        PreferenceLimits::usableRulerLength(prefs.rulerLength, longestSide(*screens_));
    const Size size = prefs.rulerOrientation == RulerOrientation::horizontal
                          ? Size{length, thickness}
                          : Size{thickness, length};
    if (const auto origin = PreferenceLimits::usableRulerOrigin(prefs.rulerX, prefs.rulerY)) {
        return {origin->x, origin->y, size.width, size.height};
    }
    const auto display = Desktop::screen(*tracking_.pointer(), *screens_);
    const Rect f = display ? display->frame : kFallbackFrame;
    return {f.x + f.width / 2 - size.width / 2, f.y + f.height / 2 - size.height / 2, size.width,
            size.height};
}

std::optional<Point> RulerState::placed(Point origin) const {
    const Size size = frame().size();
    if (!PreferenceLimits::usableCoordinate(origin.x) ||
        !PreferenceLimits::usableCoordinate(origin.y)) {
        return std::nullopt; // not a place on any desktop
    }
    const Point centre{origin.x + size.width / 2, origin.y + size.height / 2};
    const auto display = Desktop::screen(centre, *screens_);
    if (display) {
        origin = Ruler::clamped(origin, size, display->frame);
    }
    return onDevicePixels(origin, display);
}

void RulerState::move(Point origin) {
    if (const auto to = placed(origin)) {
        settings_.update([to](Preferences& p) {
            p.rulerX = to->x;
            p.rulerY = to->y;
        });
    }
}

void RulerState::sync() {
    if (!*visible_) {
        shownFrame_.set(std::nullopt);
        return;
    }
    std::vector<Rect> frames;
    frames.reserve(screens_->size());
    for (const ScreenInfo& s : *screens_) {
        frames.push_back(s.frame);
    }
    const Preferences& prefs = *settings_.prefs();
    const bool stored = PreferenceLimits::usableRulerOrigin(prefs.rulerX, prefs.rulerY).has_value();
    if (!stored || !Ruler::isReachable(frame(), frames)) {
        if (const auto to = placed(frame().origin())) {
            Preferences next = prefs;
            next.rulerX = to->x;
            next.rulerY = to->y;
            settings_.store(std::move(next));
        }
    }
    shownFrame_.set(frame());
}

void RulerState::reset() {
    settings_.update([](Preferences& p) {
        p.rulerX.reset();
        p.rulerY.reset();
    });
    if (*visible_) {
        messages_.announce("Ruler moved to the middle of the display");
    } else {
        toggle();
    }
}

void RulerState::toggleOrientation() {
    // The ruler turns about its top-left corner; a stored place then moves so the turned ruler
    // stays wholly on the display it was on. An unstored one is centred anyway.
    const Rect before = frame();
    const Size turned{before.height, before.width};
    std::optional<Point> to;
    const Preferences& prefs = *settings_.prefs();
    if (PreferenceLimits::usableRulerOrigin(prefs.rulerX, prefs.rulerY)) {
        const Point centre{before.x + before.width / 2, before.y + before.height / 2};
        if (const auto display = Desktop::screen(centre, *screens_)) {
            to = onDevicePixels(Ruler::within(before.origin(), turned, display->frame), display);
        }
    }
    settings_.update([to](Preferences& p) {
        p.rulerOrientation = other(p.rulerOrientation);
        if (to) {
            p.rulerX = to->x;
            p.rulerY = to->y;
        }
    });
}

void RulerState::setLength(double length) {
    if (std::isnan(length)) {
        return; // no length at all: keep the current one
    }
    const double longest = longestSide(*screens_);
    const double clamped = screens_->empty() ? std::clamp(length, 80.0, 2000.0)
                                             : std::min(std::max(length, 80.0), longest);
    const double rounded = std::round(clamped);
    settings_.update([rounded](Preferences& p) { p.rulerLength = rounded; });
}

} // namespace spanlet
