#include <spanlet/NumberText.hpp>
#include <spanlet/Snap.hpp>
#include <spanlet/model/Mensor.hpp>
#include <spanlet/screen/Desktop.hpp>

namespace spanlet {

Point Mensor::guidePoint(Axis axis, double position) const {
    const Point& pointer = *tracking_.pointer();
    return axis == Axis::vertical ? Point{position, pointer.y} : Point{pointer.x, position};
}

std::string Mensor::positionText(const Guide& guide) const {
    const auto display = Desktop::screen(guidePoint(guide.axis, guide.position), *screens_);
    if (!display) {
        return NumberText::string(guide.position, 2);
    }
    const double edge =
        guide.axis == Axis::vertical ? display->frame.minX() : display->frame.minY();
    return display->scale.textOfPoints(guide.position - edge, prefs_->unit);
}

void Mensor::addGuide(Axis axis, std::optional<Point> at) {
    tracking_.update();
    const Point p = at.value_or(*tracking_.pointer());
    const DisplayScale scale = scaleAt(p);
    double v = axis == Axis::vertical ? p.x : p.y;
    if (*snapping_ && tracking_.live().has_value()) {
        const std::vector<double> edges = axis == Axis::vertical
                                              ? tracking_.live()->verticalEdges()
                                              : tracking_.live()->horizontalEdges();
        v = Snap::position(v, edges, addSnapRadius);
    }
    Guide added;
    updatePrefs([&](Preferences& prefs) {
        added = prefs.guides.add(axis, v, scale);
        prefs.showGuides = true; // a new guide is always drawn
    });
    if (*editingGuides_) {
        setSelectedGuide(added.id);
    }
    show(std::string(name(added.axis)) + " guide at " + positionText(added));
}

void Mensor::startEditingGuides() {
    editingGuides_.set(true);
    updatePrefs([](Preferences& p) { p.showGuides = true; });
    selectedGuide_.set(std::nullopt);
    syncViews();
    announce("Editing guides. Tab selects a guide, arrow keys move it, Delete removes it, V or H "
             "adds one at the pointer, Escape finishes.");
}

void Mensor::finishEditingGuides() {
    if (!*editingGuides_) {
        return;
    }
    editingGuides_.set(false);
    selectedGuide_.set(std::nullopt);
    syncViews();
    announce("Done editing guides");
}

void Mensor::setSelectedGuide(std::optional<Uuid> id) {
    if (id && !*editingGuides_) {
        return; // only the editor selects guides
    }
    if (!selectedGuide_.set(id) || !id) {
        return;
    }
    const Guide* guide = prefs_->guides.find(*id);
    const auto place = prefs_->guides.position(*id);
    if (guide == nullptr || !place) {
        return;
    }
    announce(std::string(name(guide->axis)) + " guide at " + positionText(*guide) + ", " +
             NumberText::string(static_cast<double>(place->index), 0) + " of " +
             NumberText::string(static_cast<double>(place->count), 0));
}

void Mensor::selectNextGuide(bool forward) {
    const auto next = prefs_->guides.next(*selectedGuide_, forward);
    setSelectedGuide(next ? std::optional<Uuid>(next->id) : std::nullopt);
}

void Mensor::moveGuide(Uuid id, double to) {
    const Guide* guide = prefs_->guides.find(id);
    if (guide == nullptr) {
        return;
    }
    const Axis axis = guide->axis;
    std::vector<double> candidates;
    for (const Guide& other : prefs_->guides.sorted(axis)) {
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
    const DisplayScale scale = scaleAt(guidePoint(axis, v));
    updatePrefs([&](Preferences& p) { p.guides.move(id, v, scale); });
}

void Mensor::nudgeSelectedGuide(std::int64_t by) {
    if (!selectedGuide_->has_value()) {
        return;
    }
    const Uuid id = **selectedGuide_;
    const Guide* guide = prefs_->guides.find(id);
    if (guide == nullptr) {
        return;
    }
    const DisplayScale scale = scaleAt(guidePoint(guide->axis, guide->position));
    const double step = prefs_->unit == MeasureUnit::pixels ? 1 / scale.factor() : 1.0;
    const double to = guide->position + static_cast<double>(by) * step;
    updatePrefs([&](Preferences& p) { p.guides.move(id, to, scale); });
    if (const Guide* moved = prefs_->guides.find(id)) {
        announce(positionText(*moved));
    }
}

void Mensor::removeGuide(Uuid id) {
    updatePrefs([&id](Preferences& p) { p.guides.remove(id); });
    if (*selectedGuide_ == id) {
        selectedGuide_.set(std::nullopt);
    }
    show("Guide removed");
}

void Mensor::clearGuides() {
    updatePrefs([](Preferences& p) { p.guides.removeAll(); });
    selectedGuide_.set(std::nullopt);
    show("Guides cleared");
}

} // namespace spanlet
