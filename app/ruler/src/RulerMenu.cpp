#include <spanlet/ruler/RulerMenu.hpp>

namespace spanlet::RulerMenu {

std::vector<RulerMenuEntry> entries(RulerOrientation orientation, MeasureUnit unit, Point pointer) {
    const bool horizontal = orientation == RulerOrientation::horizontal;
    return {
        {horizontal ? "Add Vertical Guide Here" : "Add Horizontal Guide Here",
         RulerAction::AddGuide{horizontal ? Axis::vertical : Axis::horizontal, pointer}},
        {horizontal ? "Make Vertical" : "Make Horizontal", RulerAction::ToggleRulerOrientation{}},
        {unit == MeasureUnit::points ? "Show Pixels" : "Show Points", RulerAction::ToggleUnit{}},
        {"", RulerAction::None{}},
        {"Hide Ruler", RulerAction::ToggleRuler{}},
    };
}

} // namespace spanlet::RulerMenu
