#pragma once

#include <spanlet/draw/DrawOps.hpp>

class QPainter;

namespace spanlet::draw {

/// Strokes of the shapes our layouts use, as fills: a run of separate axis-aligned segments
/// (move, line, move, line ...) with butt caps covers one rectangle per segment, and a stroked
/// rectangle is the ring between two rectangles. Filling those is much cheaper than stroking
/// the path. Returns false, painting nothing, for any other path.
bool fillStrokeOutline(QPainter& painter, const StrokePath& op);

} // namespace spanlet::draw
