#pragma once

#include <QRect>
#include <QRegion>
#include <vector>

namespace spanlet::draw {

/// The union of `rects` as a region, built in one go. The rectangles are cut into horizontal
/// bands at every top and bottom edge, each band's spans are merged, and neighbouring bands
/// with equal spans are joined: the form a QRegion keeps, handed over whole. Adding them to a
/// region one at a time costs time quadratic in their number (a display full of guides took
/// seconds); this costs O(n log n) plus the size of the result.
QRegion bandedRegion(std::vector<QRect> rects);

} // namespace spanlet::draw
