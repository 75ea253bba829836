#pragma once

#include <QRect>
#include <QRegion>
#include <QRgb>
#include <optional>
#include <vector>

#include <spanlet/draw/DrawOps.hpp>

class QImage;
class QPainter;

namespace spanlet::draw {

class QPainterBackend;

/// The rectangles a draw list paints, in logical pixels, each rounded out to whole device
/// pixels at `devicePixelRatio` plus `marginPixels` device pixels (one covers antialiasing).
/// Finer than the list's bounds: each stroked segment counts on its own (a cross is two thin
/// bands, not its bounding box), and a clipped group counts as its clip. They may overlap.
std::vector<QRect> drawnRects(const DrawList& list, double devicePixelRatio, int marginPixels = 1);

/// drawnRects() as a region.
QRegion drawnRegion(const DrawList& list, double devicePixelRatio, int marginPixels = 1);

/// The same area in device pixels (window-local), without margin: what a window shape needs,
/// exact to the device pixel even where a logical pixel holds several.
QRegion drawnDeviceRegion(const DrawList& list, double devicePixelRatio);

/// A stroke that is one solid rectangle of device pixels: a single opaque crisp hairline
/// segment, which a window system can show by itself.
struct SolidLine {
    QRect pixels; ///< at the given device pixel ratio, in the list's frame
    QRgb color;   ///< premultiplied, as the renderer paints it
};

/// `op` as a SolidLine at `devicePixelRatio`, covering exactly the pixels the renderer paints
/// for it; nothing for any other operation.
std::optional<SolidLine> solidLine(const DrawOp& op, double devicePixelRatio);

/// Few rectangles covering all of `rects`: overlapping or nearby ones are joined while that
/// adds little area. Repainting one pointer move of a cross (old and new bands, labels) then
/// takes a handful of rectangles rather than the dozens a banded QRegion splits them into.
std::vector<QRect> mergedRects(std::vector<QRect> rects);

/// Where `after` differs from `before`, operation by operation: the old and new places of each
/// changed one (logical pixels, as drawnRects() gives them), joined. Nothing when the lists
/// differ in length, where only a repaint of everything is sure.
std::optional<std::vector<QRect>> changedRects(const DrawList& before, const DrawList& after,
                                               double devicePixelRatio);

/// Clears each rectangle (logical pixels) to transparent, then paints `list` clipped to it,
/// skipping operations that lie wholly outside it. Overlapping rectangles are harmless: each
/// pixel ends up the same.
void repaintRects(QPainterBackend& backend, QPainter& painter, const DrawList& list,
                  const std::vector<QRect>& rects);

/// repaintRects() straight into `image` (a window's backing store, whose device pixel ratio
/// maps points to its pixels), without the paint event's region as a clip.
void repaintImage(QPainterBackend& backend, QImage& image, const DrawList& list,
                  const std::vector<QRect>& rects);

} // namespace spanlet::draw
