#include <spanlet/model/Mensor.hpp>
#include <spanlet/ruler/RulerView.hpp>
#include <spanlet/screen/Desktop.hpp>

namespace spanlet {

Size RulerView::size() const noexcept {
    return orientation == RulerOrientation::horizontal ? Size{length, thickness}
                                                       : Size{thickness, length};
}

bool RulerView::pointerOnRuler() const noexcept {
    return pointerOffset && *pointerOffset >= 0 && *pointerOffset <= length;
}

DisplayScale rulerScale(Point corner, std::span<const ScreenInfo> screens) {
    const auto display = Desktop::screen(corner, screens);
    return display ? display->scale : DisplayScale::retina;
}

RulerView RulerView::make(const Preferences& prefs, const Rect& frame, Point pointer,
                          std::span<const ScreenInfo> screens, bool dark) {
    const bool horizontal = prefs.rulerOrientation == RulerOrientation::horizontal;
    RulerView view;
    view.orientation = prefs.rulerOrientation;
    // The frame's length rather than the stored one: the model keeps the window within its
    // limits even when the stored value is out of range, and the drawing must match the window.
    view.length = horizontal ? frame.width : frame.height;
    view.unit = prefs.unit;
    view.scale = rulerScale(frame.origin(), screens);
    view.pointerOffset = horizontal ? pointer.x - frame.minX() : pointer.y - frame.minY();
    view.dark = dark;
    return view;
}

RulerView RulerView::make(const Mensor& model, bool dark) {
    return make(*model.prefs(), model.ruler().frame(), *model.tracking().pointer(),
                *model.screens(), dark);
}

} // namespace spanlet
