#include <spanlet/Ruler.hpp>
#include <spanlet/ruler/RulerAccessibility.hpp>

namespace spanlet::RulerAccessibility {

std::string value(const RulerView& view) {
    std::string text = view.orientation == RulerOrientation::horizontal ? "Horizontal" : "Vertical";
    text += ", ";
    text += view.scale.textOfPoints(view.length, view.unit);
    text += " long";
    if (view.pointerOnRuler()) {
        text += ". Pointer at ";
        text += Ruler::readout(*view.pointerOffset, view.scale, view.unit);
    }
    return text;
}

} // namespace spanlet::RulerAccessibility
