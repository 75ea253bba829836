#include <cmath>

#include <spanlet/NumberText.hpp>
#include <spanlet/Snap.hpp>
#include <spanlet/model/GuideState.hpp>
#include <spanlet/screen/Desktop.hpp>

namespace spanlet {

GuideState::GuideState(Settings& settings, const Observable<std::vector<ScreenInfo>>& screens,
                       PointerTracking& tracking, const Observable<bool>& snapping,
                       Messages& messages, std::function<void()> changed)
    : settings_(settings), screens_(screens), tracking_(tracking), snapping_(snapping),
      messages_(messages), changed_(std::move(changed)) {}

Point GuideState::linePoint(Axis axis, double position) const {
    const Point& pointer = *tracking_.pointer();
    return axis == Axis::vertical ? Point{position, pointer.y} : Point{pointer.x, position};
}

DisplayScale GuideState::scaleAt(Point point) const {
    const auto display = Desktop::screen(point, *screens_);
    return display ? display->scale : DisplayScale::standard;
}

std::string GuideState::positionText(const Guide& guide) const {
    const auto display = Desktop::screen(linePoint(guide.axis, guide.position), *screens_);
    if (!display) {
        return NumberText::string(guide.position, 2);
    }
    const double edge =
        guide.axis == Axis::vertical ? display->frame.minX() : display->frame.minY();
    return display->scale.textOfPoints(guide.position - edge, settings_.prefs()->unit);
}

void GuideState::add(Axis axis, std::optional<Point> at) {
    tracking_.update();
    Point p = at.value_or(*tracking_.pointer());
    // A pointer the platform has not seen yet is no place: the middle of the main display is.
    if (!at && !tracking_.pointerKnown() && !screens_->empty()) {
        const Rect& main = screens_->front().frame;
        p = {std::floor(main.x + main.width / 2), std::floor(main.y + main.height / 2)};
    }
    const DisplayScale scale = scaleAt(p);
    double v = axis == Axis::vertical ? p.x : p.y;
    if (*snapping_ && tracking_.live().has_value()) {
        const std::vector<double> edges = axis == Axis::vertical
                                              ? tracking_.live()->verticalEdges()
                                              : tracking_.live()->horizontalEdges();
        v = Snap::position(v, edges, addSnapRadius);
    }
    Guide added;
    settings_.update([&](Preferences& prefs) {
        added = prefs.guides.add(axis, v, scale);
        prefs.showGuides = true; // a new guide is always drawn
    });
    if (*editing_) {
        select(added.id);
    }
    messages_.show(std::string(name(added.axis)) + " guide at " + positionText(added));
}

void GuideState::startEditing() {
    editing_.set(true);
    settings_.update([](Preferences& p) { p.showGuides = true; });
    selected_.set(std::nullopt);
    changed_();
    messages_.announce("Editing guides. Tab selects a guide, arrow keys move it, Delete removes "
                       "it, V or H adds one at the pointer, Escape finishes.");
}

void GuideState::finishEditing() {
    if (!*editing_) {
        return;
    }
    editing_.set(false);
    selected_.set(std::nullopt);
    changed_();
    messages_.announce("Done editing guides");
}

void GuideState::select(std::optional<Uuid> id) {
    if (id && !*editing_) {
        return; // only the editor selects guides
    }
    if (!selected_.set(id) || !id) {
        return;
    }
    const Preferences& prefs = *settings_.prefs();
    const Guide* guide = prefs.guides.find(*id);
    const auto place = prefs.guides.position(*id);
    if (guide == nullptr || !place) {
        return;
    }
    messages_.announce(std::string(name(guide->axis)) + " guide at " + positionText(*guide) + ", " +
                       NumberText::string(static_cast<double>(place->index), 0) + " of " +
                       NumberText::string(static_cast<double>(place->count), 0));
}

void GuideState::selectNext(bool forward) {
    const auto next = settings_.prefs()->guides.next(*selected_, forward);
    select(next ? std::optional<Uuid>(next->id) : std::nullopt);
}

void GuideState::move(Uuid id, double to) {
    const GuideSet& guides = settings_.prefs()->guides;
    const Guide* guide = guides.find(id);
    if (guide == nullptr) {
        return;
    }
    const Axis axis = guide->axis;
    std::vector<double> candidates;
    for (const Guide& other : guides.sorted(axis)) {
        if (other.id != id) {
            candidates.push_back(other.position);
        }
    }
    if (tracking_.live().has_value()) {
        const std::vector<double> edges = axis == Axis::vertical
                                              ? tracking_.live()->verticalEdges()
                                              : tracking_.live()->horizontalEdges();
        candidates.insert(candidates.end(), edges.begin(), edges.end());
    }
    const double v = Snap::position(to, candidates, dragSnapRadius);
    const DisplayScale scale = scaleAt(linePoint(axis, v));
    settings_.update([&](Preferences& p) { p.guides.move(id, v, scale); });
}

void GuideState::nudgeSelected(std::int64_t by) {
    if (!selected_->has_value()) {
        return;
    }
    const Uuid id = **selected_;
    const Guide* guide = settings_.prefs()->guides.find(id);
    if (guide == nullptr) {
        return;
    }
    const DisplayScale scale = scaleAt(linePoint(guide->axis, guide->position));
    const double step = settings_.prefs()->unit == MeasureUnit::pixels ? 1 / scale.factor() : 1.0;
    const double to = guide->position + static_cast<double>(by) * step;
    settings_.update([&](Preferences& p) { p.guides.move(id, to, scale); });
    if (const Guide* moved = settings_.prefs()->guides.find(id)) {
        messages_.announce(positionText(*moved));
    }
}

void GuideState::remove(Uuid id) {
    settings_.update([&id](Preferences& p) { p.guides.remove(id); });
    if (*selected_ == id) {
        selected_.set(std::nullopt);
    }
    messages_.show("Guide removed");
}

void GuideState::clear() {
    settings_.update([](Preferences& p) { p.guides.removeAll(); });
    selected_.set(std::nullopt);
    messages_.show("Guides cleared");
}

} // namespace spanlet
