#include <algorithm>

#include <spanlet/model/Measurements.hpp>

namespace spanlet {

Measurements::Measurements(const Observable<Preferences>& prefs, const PointerTracking& tracking,
                           const Observable<bool>& snapping, Clipboard& clipboard,
                           Messages& messages, std::function<void()> changed)
    : prefs_(prefs), tracking_(tracking), snapping_(snapping), clipboard_(clipboard),
      messages_(messages), changed_(std::move(changed)) {}

std::string Measurements::snappingHint() const {
    const auto& keys = prefs_->shortcuts.shortcut(MensorCommand::toggleSnapping);
    return keys ? "Turn on edge snapping to measure (" + keys->display() + ")"
                : std::string("Turn on edge snapping to measure");
}

std::optional<Cross> Measurements::current() const {
    if (tracking_.live().has_value()) {
        return tracking_.live();
    }
    if (!pinned_->empty()) {
        return pinned_->back().cross;
    }
    return std::nullopt;
}

void Measurements::pin() {
    if (!tracking_.live().has_value()) {
        messages_.show(*snapping_ ? "Point at something to measure first" : snappingHint());
        return;
    }
    const Cross cross = *tracking_.live();
    std::vector<Pinned> kept = *pinned_;
    kept.push_back(Pinned{Uuid::random(), cross});
    pinned_.set(std::move(kept));
    messages_.show("Kept " + MeasurementText::cross(cross, prefs_->unit, CopyStyle::plain));
}

void Measurements::copyCurrent() {
    const auto measurement = current();
    if (!measurement) {
        messages_.show(snappingHint());
        return;
    }
    copy(*measurement, prefs_->copyStyle);
}

void Measurements::copy(Cross cross, CopyStyle style) {
    const MeasureUnit unit = prefs_->unit;
    const std::string text = MeasurementText::cross(cross, unit, style);
    clipboard_.setText(text);
    std::string shown = text;
    if (style != CopyStyle::plain) {
        shown = std::string(name(style)); // "CSS" or "SwiftUI": the code itself is too long
    }
    const std::string spoken = MeasurementText::spoken(cross.widthPixels(), cross.heightPixels(),
                                                       cross.displayScale(), unit);
    messages_.show("Copied " + shown, "Copied " + spoken);
}

void Measurements::clear() {
    if (pinned_->empty()) {
        return;
    }
    pinned_.set({});
    messages_.show("Measurements cleared");
}

void Measurements::remove(Uuid id) {
    std::vector<Pinned> kept = *pinned_;
    std::erase_if(kept, [&id](const Pinned& p) { return p.id == id; });
    pinned_.set(std::move(kept));
    changed_();
}

} // namespace spanlet
