#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QRectF>
#include <QRegion>
#include <functional>
#include <optional>
#include <vector>

#include <spanlet/draw/DrawOps.hpp>

class QPainter;

namespace spanlet::draw {

/// Executes draw lists on a QPainter. One point is one logical (device-independent) pixel; the
/// painter's device pixel ratio maps points to device pixels, so the same list paints sharply
/// on a scale-2 display.
class QPainterBackend {
public:
    /// Paints `list` in order. Operations whose bounds miss `cull` (points) are skipped; clip
    /// operations are always applied. The painter's own clip is respected and left unchanged.
    static void paint(QPainter& painter, const DrawList& list,
                      const std::optional<QRectF>& cull = std::nullopt);
    /// As above, skipping operations whose bounds miss every rectangle of `cull`.
    static void paint(QPainter& painter, const DrawList& list, const QRegion& cull);

    /// Clears each rectangle (logical pixels) to transparent, then paints `list` clipped to it,
    /// skipping operations that lie wholly outside it. The painter must have no clip of its
    /// own; its state is left unchanged.
    static void repaint(QPainter& painter, const DrawList& list, const std::vector<QRect>& rects);

    /// Copies `image` one pixel per device pixel, its top-left at `devicePoint` (device
    /// pixels), whatever the painter's scale: a kept image is copied, never resampled. The
    /// painter must not rotate or shear.
    static void drawDeviceImage(QPainter& painter, QPointF devicePoint, const QImage& image);

    /// The system UI font at the requested size (in points, i.e. logical pixels) and weight.
    static QFont font(const FontSpec& fontSpec);
    static QColor color(const Color& c);
    static QRectF rect(const Rect& r);
    static QPainterPath path(const Path& p);

    /// `r` (points) rounded outward to whole device pixels at `devicePixelRatio`, grown by
    /// `marginPixels` device pixels (one covers antialiasing), returned in logical pixels.
    static QRect damageRect(const Rect& r, double devicePixelRatio, int marginPixels = 1);

private:
    /// Paints the operations whose bounds (points, grown by one) `visible` accepts; all of
    /// them when it is empty.
    static void paintOps(QPainter& painter, const DrawList& list,
                         const std::function<bool(const QRectF&)>& visible);
};

} // namespace spanlet::draw
