#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include <spanlet/Geometry.hpp>
#include <spanlet/PixelBuffer.hpp>
#include <spanlet/wayland/PixelRect.hpp>

/// Screencopy copies whole logical points of an output; the capture port asks for any
/// rectangle at device-pixel resolution. These pure functions bridge the two.
namespace spanlet::CaptureRegion {

/// A region in an output's logical coordinates, as capture_output_region takes it.
struct Region {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const Region&, const Region&) = default;
};

/// The whole points that cover `rect` (output-local points), clipped to an output of
/// `outputSize` points. Nothing when that leaves nothing, or for a non-finite rect.
std::optional<Region> covering(const Rect& rect, Size outputSize);

/// The device pixels of the output that a capture of `rect` (output-local points) at `scale`
/// may read, which the overlay must clear before it: those of the whole points the compositor
/// is asked to copy (see covering()); at a fractional scale one more on every side, since the
/// compositor rounds that region to its pixels in its own way.
wayland::PixelRect devicePixels(const Rect& rect, double scale);

/// A frame as the compositor filled it: wl_shm format, size in pixels, bytes per row and
/// whether its rows run bottom to top.
struct Frame {
    std::uint32_t format = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t stride = 0;
    bool yInvert = false;
    std::span<const std::uint8_t> bytes;
};

/// Whether `format` (a wl_shm format code) is one of the 32-bit RGB formats pixels() reads.
bool readable(std::uint32_t format);

/// The pixels of `rect` (output-local points) at `scale`, sized ScreenCapture::outputSize(),
/// cut from `frame`, the capture of `region`. Pixels of the rect that the frame does not hold
/// (outside the output) are clear. Nothing for an unreadable format or a frame smaller than its
/// stated size.
std::optional<PixelBuffer> pixels(const Frame& frame, const Region& region, const Rect& rect,
                                  double scale);

} // namespace spanlet::CaptureRegion
