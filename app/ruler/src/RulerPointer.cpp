#include <spanlet/ruler/RulerPointer.hpp>

namespace spanlet::RulerPointer {

bool inResizeZone(Point location, Size size, RulerOrientation orientation) {
    return orientation == RulerOrientation::horizontal ? location.x > size.width - resizeZone
                                                       : location.y > size.height - resizeZone;
}

RulerDrag press(bool inZone, Point pointer, Point origin, double length) {
    if (inZone) {
        return {RulerDrag::Resize{pointer, length}};
    }
    return {RulerDrag::Move{pointer, origin}};
}

RulerAction dragged(const RulerDrag& drag, Point pointer, RulerOrientation orientation) {
    if (const auto* resize = std::get_if<RulerDrag::Resize>(&drag.value)) {
        const double d = orientation == RulerOrientation::horizontal ? pointer.x - resize->start.x
                                                                     : pointer.y - resize->start.y;
        return RulerAction::SetRulerLength{resize->length + d};
    }
    const auto& move = std::get<RulerDrag::Move>(drag.value);
    return RulerAction::MoveRuler{
        {move.origin.x + pointer.x - move.start.x, move.origin.y + pointer.y - move.start.y}};
}

} // namespace spanlet::RulerPointer
