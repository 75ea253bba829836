#pragma once

#include <QRect>
#include <optional>

#include <spanlet/draw/DrawOps.hpp>

class QPainter;

namespace spanlet::draw {

/// Strokes of the shapes our layouts use, as fills: a run of separate axis-aligned segments
/// (move, line, move, line ...) with butt caps covers one rectangle per segment, and a stroked
/// rectangle is the ring between two rectangles. Filling those is much cheaper than stroking
/// the path. Returns false, painting nothing, for any other path. `clip` is the painter's clip
/// where it is known to be exactly that rectangle (logical pixels).
bool fillStrokeOutline(QPainter& painter, const StrokePath& op,
                       const std::optional<QRect>& clip = std::nullopt);

} // namespace spanlet::draw
