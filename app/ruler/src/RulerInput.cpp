#include <spanlet/model/Mensor.hpp>
#include <spanlet/ruler/RulerInput.hpp>

namespace spanlet {

double RulerInput::shownLength(const Mensor& model) {
    const Rect frame = model.ruler().frame();
    return model.prefs()->rulerOrientation == RulerOrientation::horizontal ? frame.width
                                                                           : frame.height;
}

bool RulerInput::inResizeZone(Point local) const {
    return RulerPointer::inResizeZone(local, model_.ruler().frame().size(),
                                      model_.prefs()->rulerOrientation);
}

void RulerInput::press(Point pointer, Point local, int clickCount) {
    dragged_ = false;
    clickCount_ = clickCount;
    drag_ = RulerPointer::press(inResizeZone(local), pointer, model_.ruler().frame().origin(),
                                shownLength(model_));
}

void RulerInput::moved(Point pointer) {
    if (!drag_) {
        return;
    }
    perform(model_, RulerPointer::dragged(*drag_, pointer, model_.prefs()->rulerOrientation));
    dragged_ = true;
}

void RulerInput::release() {
    if (!drag_) {
        return;
    }
    const bool turn = RulerPointer::turnsOnRelease(dragged_, clickCount_);
    drag_.reset();
    clickCount_ = 0;
    if (turn) {
        perform(model_, RulerAction::ToggleRulerOrientation{});
    }
}

bool RulerInput::key(RulerKey key, bool shift, bool alt) {
    const RulerAction action =
        RulerKeys::action(key, shift, alt, model_.prefs()->rulerOrientation,
                          model_.ruler().frame().origin(), shownLength(model_));
    if (action.isNone()) {
        return false;
    }
    perform(model_, action);
    return true;
}

} // namespace spanlet
