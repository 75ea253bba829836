#include <spanlet/model/Mensor.hpp>

namespace spanlet {

void Mensor::perform(MensorCommand command) {
    switch (command) {
    case MensorCommand::toggleRuler:
        toggleRuler();
        return;
    case MensorCommand::addVerticalGuide:
        addGuide(Axis::vertical);
        return;
    case MensorCommand::addHorizontalGuide:
        addGuide(Axis::horizontal);
        return;
    case MensorCommand::editGuides:
        if (*editingGuides_) {
            finishEditingGuides();
        } else {
            startEditingGuides();
        }
        return;
    case MensorCommand::toggleUnit:
        toggleUnit();
        return;
    case MensorCommand::toggleSnapping:
        toggleSnapping();
        return;
    case MensorCommand::pickColor:
        pickColor();
        return;
    case MensorCommand::pinMeasurement:
        pinMeasurement();
        return;
    case MensorCommand::copyMeasurement:
        copyMeasurement();
        return;
    case MensorCommand::clearMeasurements:
        clearMeasurements();
        return;
    }
}

void Mensor::toggleUnit() {
    updatePrefs([](Preferences& p) { p.unit = other(p.unit); });
    show(prefs_->unit == MeasureUnit::pixels ? "Pixels" : "Points");
}

void Mensor::toggleSnapping() {
    if (*snapping_) {
        disableSnapping();
    } else if (ports_.permission.preflight()) {
        enableSnapping();
    } else {
        ports_.windows.open(Windows::Kind::explainer);
    }
}

void Mensor::enableSnapping() {
    snapping_.set(true);
    tracking_.clearLiveFrame();
    syncViews();
    announce("Edge snapping on");
}

void Mensor::disableSnapping() {
    snapping_.set(false);
    tracking_.clearLiveFrame();
    syncViews();
    announce("Edge snapping off");
}

} // namespace spanlet
