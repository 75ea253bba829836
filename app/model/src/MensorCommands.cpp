#include <spanlet/model/Mensor.hpp>

namespace spanlet {

void Mensor::perform(MensorCommand command) {
    switch (command) {
    case MensorCommand::toggleRuler:
        ruler_.toggle();
        return;
    case MensorCommand::addVerticalGuide:
        guides_.add(Axis::vertical);
        return;
    case MensorCommand::addHorizontalGuide:
        guides_.add(Axis::horizontal);
        return;
    case MensorCommand::editGuides:
        if (*guides_.editing()) {
            guides_.finishEditing();
        } else {
            guides_.startEditing();
        }
        return;
    case MensorCommand::toggleUnit:
        toggleUnit();
        return;
    case MensorCommand::toggleSnapping:
        toggleSnapping();
        return;
    case MensorCommand::pickColor:
        colors_.pick();
        return;
    case MensorCommand::pinMeasurement:
        measurements_.pin();
        return;
    case MensorCommand::copyMeasurement:
        measurements_.copyCurrent();
        return;
    case MensorCommand::clearMeasurements:
        measurements_.clear();
        return;
    }
}

void Mensor::toggleUnit() {
    updatePrefs([](Preferences& p) { p.unit = other(p.unit); });
    messages_.show(prefs()->unit == MeasureUnit::pixels ? "Pixels" : "Points");
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
    messages_.announce("Edge snapping on");
}

void Mensor::disableSnapping() {
    snapping_.set(false);
    tracking_.clearLiveFrame();
    syncViews();
    messages_.announce("Edge snapping off");
}

} // namespace spanlet
