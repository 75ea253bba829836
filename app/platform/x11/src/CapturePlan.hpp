#pragma once

#include <QRect>
#include <QRegion>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace spanlet::x11 {

/// One top-level window as the capture sees it, in root coordinates (device pixels).
struct Layer {
    std::uint32_t window = 0;
    /// Where the window shows: its outer rectangle (border included), cut to its bounding
    /// shape.
    QRegion area;
    /// Its pixels are blended over what lies beneath (ARGB content under a compositor).
    bool translucent = false;
};

/// The part of one layer that must be read.
struct Piece {
    std::size_t layer = 0;
    QRegion region;
};

/// What to read for one capture: pieces bottom first (composite in this order), and the part
/// of the target no window covers (read from the wallpaper).
struct Plan {
    std::vector<Piece> pieces;
    QRegion uncovered;
};

/// Walks `layersTopFirst` from the top: each layer is read where it is the topmost opaque one,
/// or where it lies under nothing but translucent layers. Only parts inside `target` count.
Plan planCapture(const QRect& target, std::span<const Layer> layersTopFirst);

} // namespace spanlet::x11
