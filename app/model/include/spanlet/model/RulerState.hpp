#pragma once

#include <functional>
#include <optional>
#include <vector>

#include <spanlet/Geometry.hpp>
#include <spanlet/model/Messages.hpp>
#include <spanlet/model/Observable.hpp>
#include <spanlet/model/PointerTracking.hpp>
#include <spanlet/model/Settings.hpp>
#include <spanlet/screen/ScreenInfo.hpp>

namespace spanlet {

/// The floating ruler: whether it is shown, and its place, length and orientation, which live
/// in the preferences. Stored values are used only when usable; a shown ruler is kept where a
/// display shows enough of it.
class RulerState {
public:
    /// Thickness of the ruler in points.
    static constexpr double thickness = 40;

    /// `changed` runs after the ruler is shown or hidden. Each reference must outlive this.
    RulerState(Settings& settings, const Observable<std::vector<ScreenInfo>>& screens,
               const PointerTracking& tracking, Messages& messages, std::function<void()> changed);
    RulerState(const RulerState&) = delete;
    RulerState& operator=(const RulerState&) = delete;

    [[nodiscard]] const Observable<bool>& visible() const noexcept { return visible_; }
    /// The frame while the ruler is shown, nothing while it is hidden; published by sync().
    [[nodiscard]] const Observable<std::optional<Rect>>& shownFrame() const noexcept {
        return shownFrame_;
    }

    void toggle();
    /// Back to the middle of the pointer's display, shown.
    void reset();
    void toggleOrientation();
    void setLength(double length);
    /// Global top-left points.
    [[nodiscard]] Rect frame() const;
    /// Stores `origin`, kept on the display holding the ruler's centre, on whole device pixels.
    void move(Point origin);
    /// Brings a shown ruler that no display shows enough of back onto one, then publishes
    /// shownFrame. The preferences change without running their `changed`: the model calls
    /// this while syncing the views.
    void sync();

private:
    /// The place move() stores for `origin`; nothing for a place on no desktop.
    [[nodiscard]] std::optional<Point> placed(Point origin) const;

    Settings& settings_;
    const Observable<std::vector<ScreenInfo>>& screens_;
    const PointerTracking& tracking_;
    Messages& messages_;
    std::function<void()> changed_;
    Observable<bool> visible_{false};
    Observable<std::optional<Rect>> shownFrame_;
};

} // namespace spanlet
