#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include <spanlet/draw/DrawOps.hpp>

class QPainter;

namespace spanlet::draw {

/// Paints a clipped group, the operations `ops[first, last)` inside `clip`, as one image: the
/// operations unclipped on a layer of their own, the clip applied to it once as a mask, then
/// the layer copied to the painter pixel for pixel. Qt clips to a path span by span, which
/// makes every fill and scaled image under it (a loupe's cells and grid) several times slower
/// than the same work on a layer.
///
/// The last finished layer is kept: the group drawn again unchanged, as when several damaged
/// rectangles cross it, is only copied again. Inside the clip the result equals painting under
/// the clip; along its antialiased edge it may differ by a few levels.
///
/// A group that starts with opaque pixels magnified to whole device pixels (a loupe's cells)
/// keeps what follows them (its grid) as an image of its own, found again wherever the group
/// moves: new cells then cost their blocks stored and that image laid over them (source-over
/// is associative), not the grid painted anew on every move.
class ClipLayer {
public:
    /// Paints the group's operations from `from` on (to its end) on a layer's painter.
    using PaintContent = std::function<void(QPainter& layer, std::size_t from)>;

    ClipLayer();
    ~ClipLayer();
    ClipLayer(const ClipLayer&) = delete;
    ClipLayer& operator=(const ClipLayer&) = delete;

    /// Returns false, painting nothing, where it does not apply: a painter that rotates or
    /// shears, a clip larger than a loupe-sized area, or a group holding another clip.
    bool paint(QPainter& painter, const Path& clip, const std::vector<DrawOp>& ops,
               std::size_t first, std::size_t last, const PaintContent& paintContent);

private:
    struct Layer;
    std::unique_ptr<Layer> layer_;
};

} // namespace spanlet::draw
