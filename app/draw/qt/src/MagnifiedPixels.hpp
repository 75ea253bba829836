#pragma once

#include <spanlet/draw/DrawOps.hpp>

class QPainter;

namespace spanlet::draw {

/// Paints `op`'s pixels as one image scaled without smoothing: a single blit for what would be a
/// fill per cell, covering the same device pixels with the same colours.
void paintMagnified(QPainter& painter, const FillPixels& op);

} // namespace spanlet::draw
