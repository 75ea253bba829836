#pragma once

#include <functional>

namespace spanlet::draw {

/// Runs `work` to completion on a thread of Qt's global thread pool and returns when it is done.
///
/// Qt's raster engine spreads every fill of more than about a hundred spans over that pool and
/// waits for it, unless the painting thread is itself one of the pool's. For the small shapes
/// an overlay repaints on each pointer move those hand-offs cost more than the fill, so the
/// whole repaint goes to one pool thread: one hand-off per frame instead of several per shape.
/// `work` may only paint on QImages.
void runSerialPaint(const std::function<void()>& work);

} // namespace spanlet::draw
