#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include <spanlet/wayland/PixelRect.hpp>

namespace spanlet::wayland {

/// `r` cut to a `width` × `height` surface: empty (no width or height) where it lies outside.
PixelRect clipped(const PixelRect& r, int width, int height);
/// Where `a` and `b` overlap; a width or height of zero or less where they do not.
PixelRect intersected(const PixelRect& a, const PixelRect& b);

/// The parts of `hole` where `canvas` (`width` × `height` premultiplied pixels, row after row)
/// is not transparent. A hole over transparent pixels changes nothing on screen, so only these
/// need clearing, sending as damage and restoring afterwards: a capture strip crosses a whole
/// output, the drawing on it is a few labels and lines. Runs along the hole's longer side that
/// lie fewer than `joinGap` pixels apart stay one rectangle.
std::vector<PixelRect> drawnParts(const PixelRect& hole, std::span<const std::uint32_t> canvas,
                                  int width, int height, int joinGap = 32);

} // namespace spanlet::wayland
