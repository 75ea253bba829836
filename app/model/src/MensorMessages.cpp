#include <algorithm>

#include <spanlet/model/Mensor.hpp>

namespace spanlet {

std::string Mensor::snappingHint() const {
    const auto& keys = prefs_->shortcuts.shortcut(MensorCommand::toggleSnapping);
    return keys ? "Turn on edge snapping to measure (" + keys->display() + ")"
                : std::string("Turn on edge snapping to measure");
}

std::optional<Cross> Mensor::currentMeasurement() const {
    if (tracking_.live().has_value()) {
        return tracking_.live();
    }
    if (!pinned_->empty()) {
        return pinned_->back().cross;
    }
    return std::nullopt;
}

void Mensor::pinMeasurement() {
    if (!tracking_.live().has_value()) {
        show(*snapping_ ? "Point at something to measure first" : snappingHint());
        return;
    }
    const Cross cross = *tracking_.live();
    std::vector<Pinned> kept = *pinned_;
    kept.push_back(Pinned{Uuid::random(), cross});
    pinned_.set(std::move(kept));
    show("Kept " + MeasurementText::cross(cross, prefs_->unit, CopyStyle::plain));
}

void Mensor::copyMeasurement() {
    const auto current = currentMeasurement();
    if (!current) {
        show(snappingHint());
        return;
    }
    copy(*current, prefs_->copyStyle);
}

void Mensor::copy(Cross cross, CopyStyle style) {
    const MeasureUnit unit = prefs_->unit;
    const std::string text = MeasurementText::cross(cross, unit, style);
    ports_.clipboard.setText(text);
    std::string shown = text;
    if (style != CopyStyle::plain) {
        shown = std::string(name(style)); // "CSS" or "SwiftUI": the code itself is too long
    }
    const std::string spoken = MeasurementText::spoken(cross.widthPixels(), cross.heightPixels(),
                                                       cross.displayScale(), unit);
    show("Copied " + shown, "Copied " + spoken);
}

void Mensor::clearMeasurements() {
    if (pinned_->empty()) {
        return;
    }
    pinned_.set({});
    show("Measurements cleared");
}

void Mensor::removePinned(Uuid id) {
    std::vector<Pinned> kept = *pinned_;
    std::erase_if(kept, [&id](const Pinned& p) { return p.id == id; });
    pinned_.set(std::move(kept));
    syncViews();
}

void Mensor::show(std::string text, std::optional<std::string> announcement) {
    const Toast toast{Uuid::random(), text};
    toast_.set(toast);
    announce(announcement.value_or(text));
    syncViews();
    // Each message lasts its own full duration; a newer one makes this timer a no-op.
    toastTimer_ = ports_.clock.schedule(toastDuration, [weak = weakSelf(), toast] {
        auto self = weak.lock();
        if (self && *self->toast_ == toast) {
            self->toast_.set(std::nullopt);
            self->syncViews();
        }
    });
}

void Mensor::announce(const std::string& text) {
    ports_.announcer.announce(text);
}

} // namespace spanlet
