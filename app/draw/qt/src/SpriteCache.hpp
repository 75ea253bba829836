#pragma once

#include <QImage>
#include <cstdint>
#include <functional>
#include <vector>

#include <spanlet/draw/DrawOps.hpp>

class QPainter;

namespace spanlet::draw {

/// Recently painted small operations (labels, their text, the loupe's frame, shadow and grid)
/// kept as images, so that moving one costs a copy instead of new antialiased fills, strokes
/// and text shaping. An operation is found again wherever it moves, as long as it keeps its
/// shape, colours, scale and position within a device pixel.
///
/// Compositing a cached image is equivalent to painting the operation directly: source-over is
/// associative, and the image keeps the operation's sub-pixel offset.
class SpriteCache {
public:
    using PaintDirect = std::function<void(QPainter&, const DrawOp&)>;

    /// Paints `op` from the cache, rendering it there first (with `paintDirect`) when it is
    /// seen for the second time. False, painting nothing, when `op` is seen for the first time
    /// or is not one to cache: rectangle fills, clips, large areas, or a painter that rotates
    /// or shears.
    bool paint(QPainter& painter, const DrawOp& op, const PaintDirect& paintDirect);

    /// Starts a repaint: an operation seen twice within one (crossing two damaged rectangles)
    /// is not made into an image on that account alone, as a label with a new number would be.
    void beginRepaint() { ++repaint_; }

private:
    struct Sprite {
        std::size_t hash = 0; ///< of what tells sprites apart cheaply, compared first
        DrawOp op;            ///< moved so that its bounds start at the origin
        double scale = 1;
        double fractionX = 0; ///< the bounds' offset within a device pixel
        double fractionY = 0;
        QImage image;
        std::uint64_t lastUse = 0;
    };

    struct Seen {
        std::size_t hash = 0;
        DrawOp op;
        double scale = 1;
        double fractionX = 0;
        double fractionY = 0;
        std::uint64_t repaint = 0; ///< when it was seen
        [[nodiscard]] bool sameAs(const Seen& other) const {
            return hash == other.hash && scale == other.scale && fractionX == other.fractionX &&
                   fractionY == other.fractionY && op == other.op;
        }
    };

    void evictFor(qint64 pixels);

    std::vector<Sprite> sprites_;
    std::vector<Seen> seen_; ///< painted once, not kept yet; oldest first
    qint64 pixels_ = 0;
    std::uint64_t clock_ = 0;
    std::uint64_t repaint_ = 0;
};

} // namespace spanlet::draw
