#pragma once

#include <spanlet/platform/Surfaces.hpp>

namespace spanlet::wayland {

/// Whole device pixels of a surface or an output, y down: the ports' rectangle.
using PixelRect = DeviceRect;

} // namespace spanlet::wayland
