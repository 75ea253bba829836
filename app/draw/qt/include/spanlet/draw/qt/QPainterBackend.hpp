#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QRectF>
#include <QRegion>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <spanlet/draw/DrawOps.hpp>
#include <spanlet/draw/qt/QtTextMeasurer.hpp>

class QPainter;

namespace spanlet::draw {

class ClipLayer;
class SpriteCache;

/// Executes draw lists on a QPainter. One point is one logical (device-independent) pixel; the
/// painter's device pixel ratio maps points to device pixels, so the same list paints sharply
/// on a scale-2 display.
///
/// A renderer keeps what makes the next frame cheap (fonts and glyph tables, recently painted
/// labels as images, the last clipped layer), so each user owns one: an overlay panel, the
/// ruler, the sampler's loupe. For the thread that owns it.
class QPainterBackend {
public:
    QPainterBackend();
    ~QPainterBackend();
    QPainterBackend(const QPainterBackend&) = delete;
    QPainterBackend& operator=(const QPainterBackend&) = delete;

    /// Measures text with the fonts this renderer draws with: for laying out its lists.
    [[nodiscard]] const TextMeasurer& measurer() const noexcept { return measurer_; }

    /// Paints `list` in order. Operations whose bounds miss `cull` (points) are skipped; clip
    /// operations are always applied. The painter's own clip is respected and left unchanged.
    void paint(QPainter& painter, const DrawList& list,
               const std::optional<QRectF>& cull = std::nullopt);
    /// As above, skipping operations whose bounds miss every rectangle of `cull`.
    void paint(QPainter& painter, const DrawList& list, const QRegion& cull);

    /// Clears each rectangle (logical pixels) to transparent, then paints `list` clipped to it,
    /// skipping operations that lie wholly outside it. The painter must have no clip of its
    /// own; its state is left unchanged.
    void repaint(QPainter& painter, const DrawList& list, const std::vector<QRect>& rects);

    /// The system UI font at the requested size (in points, i.e. logical pixels) and weight.
    [[nodiscard]] QFont font(const FontChoice& choice) const;

    /// Copies `image` one pixel per device pixel, its top-left at `devicePoint` (device
    /// pixels), whatever the painter's scale: a kept image is copied, never resampled. The
    /// painter must not rotate or shear.
    static void drawDeviceImage(QPainter& painter, QPointF devicePoint, const QImage& image);

    static QColor color(const Color& c);
    static QRectF rect(const Rect& r);
    static QPainterPath path(const Path& p);

    /// `r` (points) rounded outward to whole device pixels at `devicePixelRatio`, grown by
    /// `marginPixels` device pixels (one covers antialiasing), returned in logical pixels.
    static QRect damageRect(const Rect& r, double devicePixelRatio, int marginPixels = 1);

private:
    using Visible = std::function<bool(const QRectF&)>;

    /// Paints the operations whose bounds (points, grown by one) `visible` accepts; all of
    /// them when it is empty.
    void paintOps(QPainter& painter, const DrawList& list, const Visible& visible);
    /// `known`, when given, holds each op's bounds as opBounds() gives them, so that painting
    /// one list rectangle by rectangle works them out once.
    void paintRange(QPainter& painter, const std::vector<DrawOp>& ops, std::size_t first,
                    std::size_t last, const Visible& visible,
                    const std::vector<std::optional<Rect>>* known = nullptr);
    void paintOne(QPainter& painter, const DrawOp& op);
    void paintDirect(QPainter& painter, const DrawOp& op);
    void paintText(QPainter& painter, const DrawText& op);

    /// The painter whose clip is exactly `rect` (logical pixels), as repaint() sets it for
    /// each damaged rectangle: what is painted there may be written to its image directly.
    struct RectClip {
        const QPainter* painter = nullptr;
        QRect rect;
    };
    RectClip rectClip_;
    QtTextMeasurer measurer_;
    std::unique_ptr<SpriteCache> sprites_;
    std::unique_ptr<ClipLayer> clipLayer_;
};

} // namespace spanlet::draw
