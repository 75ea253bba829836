#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include <spanlet/Geometry.hpp>
#include <spanlet/screen/ScreenInfo.hpp>

/// The displays and the two global coordinate systems: bottom-left (y up, origin at the
/// primary display's bottom-left corner) and top-left (y down, origin at its top-left corner),
/// both in points. Pure functions; the display list itself comes from DisplayPort.
namespace spanlet::Desktop {

/// Converts a rectangle between the two global systems: (minX, H − maxY, width, height) with
/// H the primary display's height. The conversion is its own inverse.
Rect flipped(const Rect& rect, double primaryHeight);

/// The height in points of the first (primary) display, or 0 without displays.
double primaryHeight(std::span<const ScreenInfo> screens);

/// One display from the window system's values: `frame` in global top-left points, `scale`
/// in device pixels per point (0, negative or non-finite becomes 1). `cocoaFrame` is derived
/// with flipped().
ScreenInfo makeScreenInfo(std::uint32_t id, const Rect& frame, double scale, double primaryHeight);

/// The first display whose frame, grown by half a point on every side, holds `point` (global
/// top-left points; low edges inside, high edges outside). Touching displays thus overlap by
/// one point and the earlier one wins on the shared edge. Nothing when none holds it.
std::optional<ScreenInfo> screenContaining(Point point, std::span<const ScreenInfo> screens);

/// screenContaining(); failing that the only display, or else the display whose frame is
/// nearest by straight-line distance (the earlier one on a tie). Nothing without displays.
std::optional<ScreenInfo> screen(Point point, std::span<const ScreenInfo> screens);

/// One display's geometry as the X server and Qt keep it: `deviceFrame` in device pixels,
/// `logicalFrame` in global top-left points, `scale` device pixels per point. Qt places each
/// display's top-left corner at its device-pixel position, so on a desktop that mixes scales
/// the logical frames do not tile: there are gaps between them.
struct DeviceScreen {
    Rect logicalFrame;
    Rect deviceFrame;
    double scale = 1;
};

/// A pointer position reported in device pixels (root-window coordinates) in global top-left
/// points: logical top-left + (device − device top-left) ÷ scale, through the display whose
/// device rectangle holds the pointer, or else the nearest one (the earlier one on a tie).
/// Without displays the device position is returned unchanged.
Point pointFromDevicePixels(Point device, std::span<const DeviceScreen> screens);

} // namespace spanlet::Desktop
