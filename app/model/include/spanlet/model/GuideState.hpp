#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <spanlet/Guides.hpp>
#include <spanlet/Uuid.hpp>
#include <spanlet/model/Messages.hpp>
#include <spanlet/model/Observable.hpp>
#include <spanlet/model/PointerTracking.hpp>
#include <spanlet/model/Settings.hpp>
#include <spanlet/screen/ScreenInfo.hpp>

namespace spanlet {

/// The guides (kept in the preferences) and their editor: adding one at the pointer or a given
/// place, snapping to edges and to the other guides, selecting and moving them while editing.
/// Ids are taken by value: callers often pass a reference into the preferences, which the
/// operation replaces.
class GuideState {
public:
    /// Snap radius (points) when adding a guide, and when dragging one.
    static constexpr double addSnapRadius = 8;
    static constexpr double dragSnapRadius = 4;

    /// `changed` runs after editing starts or finishes. Each reference must outlive this.
    GuideState(Settings& settings, const Observable<std::vector<ScreenInfo>>& screens,
               PointerTracking& tracking, const Observable<bool>& snapping, Messages& messages,
               std::function<void()> changed);
    GuideState(const GuideState&) = delete;
    GuideState& operator=(const GuideState&) = delete;

    [[nodiscard]] const Observable<bool>& editing() const noexcept { return editing_; }
    [[nodiscard]] const Observable<std::optional<Uuid>>& selected() const noexcept {
        return selected_;
    }

    /// At `at`, else at the pointer; while snapping, on a live edge within addSnapRadius.
    void add(Axis axis, std::optional<Point> at = std::nullopt);
    void startEditing();
    void finishEditing();
    /// Only while editing; a new selection is announced.
    void select(std::optional<Uuid> id);
    void selectNext(bool forward);
    void move(Uuid id, double to);
    /// By `by` pixels or points, as the unit is.
    void nudgeSelected(std::int64_t by);
    void remove(Uuid id);
    void clear();
    /// The guide's distance from its display's left (top) edge in the current unit.
    [[nodiscard]] std::string positionText(const Guide& guide) const;

private:
    /// The point of a guide's line used to pick its display: its position and the pointer.
    [[nodiscard]] Point linePoint(Axis axis, double position) const;
    /// The scale of the display at `point`, or the standard scale without displays.
    [[nodiscard]] DisplayScale scaleAt(Point point) const;

    Settings& settings_;
    const Observable<std::vector<ScreenInfo>>& screens_;
    PointerTracking& tracking_;
    const Observable<bool>& snapping_;
    Messages& messages_;
    std::function<void()> changed_;
    Observable<bool> editing_{false};
    Observable<std::optional<Uuid>> selected_;
};

} // namespace spanlet
