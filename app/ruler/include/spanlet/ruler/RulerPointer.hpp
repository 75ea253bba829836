#pragma once

#include <variant>

#include <spanlet/Geometry.hpp>
#include <spanlet/model/RulerOrientation.hpp>
#include <spanlet/ruler/RulerAction.hpp>

namespace spanlet {

/// The drag in progress on the ruler panel. Points are global top-left.
struct RulerDrag {
    /// The pointer at the press and the ruler's top-left corner then.
    struct Move {
        Point start;
        Point origin;
        friend bool operator==(const Move&, const Move&) = default;
    };
    /// The pointer at the press and the ruler's length (points) then.
    struct Resize {
        Point start;
        double length = 0;
        friend bool operator==(const Resize&, const Resize&) = default;
    };

    std::variant<Move, Resize> value;

    friend bool operator==(const RulerDrag&, const RulerDrag&) = default;
};

/// Mouse handling of the ruler panel, free of any toolkit.
namespace RulerPointer {

/// Depth (points) of the grip zone at the ruler's far end that resizes instead of moving.
inline constexpr double resizeZone = 18;

/// Whether `location` (view-local top-left points, y down) lies in the grip zone of a ruler
/// view of `size`: the last 18 points of the right end of a horizontal ruler, or of the lower
/// end of a vertical one (strictly inside).
bool inResizeZone(Point location, Size size, RulerOrientation orientation);

/// The drag a press starts: a resize in the grip zone, a move elsewhere. `pointer` is the
/// pointer's global position, `origin` and `length` the ruler frame's then.
RulerDrag press(bool inResizeZone, Point pointer, Point origin, double length);

/// The operation for the pointer at `pointer` during `drag`: a move by the pointer's travel,
/// or a new length grown by its travel along the ruler (right or down lengthens).
RulerAction dragged(const RulerDrag& drag, Point pointer, RulerOrientation orientation);

/// A release turns the ruler when the press was a double click that was not dragged.
constexpr bool turnsOnRelease(bool wasDragged, int clickCount) {
    return !wasDragged && clickCount == 2;
}

} // namespace RulerPointer

} // namespace spanlet
