#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include <spanlet/wayland/PixelRect.hpp>

namespace spanlet::wayland {

/// Adds `rects` to the damage `list` so that no pixel is copied twice: rectangles whose union is
/// no larger than the two together (twins, one inside the other, the old and new place of a
/// loupe that moved a little) become that union. Past `most`, the two whose union adds the
/// least area join too, so that the long thin strips of a moving cross never grow into the
/// whole output (a full copy each frame). Every pixel of `list` and `rects` stays covered.
void addDamage(std::vector<PixelRect>& list, std::span<const PixelRect> rects,
               std::size_t most = 24);

} // namespace spanlet::wayland
