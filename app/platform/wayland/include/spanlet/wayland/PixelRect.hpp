#pragma once

namespace spanlet::wayland {

/// A rectangle of whole device pixels, surface- or output-local, y down.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

} // namespace spanlet::wayland
