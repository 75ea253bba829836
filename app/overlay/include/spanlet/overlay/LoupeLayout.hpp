#pragma once

#include <spanlet/Geometry.hpp>
#include <spanlet/PixelBuffer.hpp>
#include <spanlet/draw/DrawOps.hpp>

/// The loupe's magnified pixels as draw operations, shared by the overlay and the colour
/// sampler's window.
namespace spanlet::LoupeLayout {

/// Side of one magnified pixel (points).
inline constexpr double cell = 8;

/// Side of the magnifier for `patch`, which follows the patch's width (points).
double side(const PixelBuffer& patch);

/// The magnified `patch` with its top-left corner at `origin`: a white rounded frame with a
/// drop shadow, the pixels clipped to it under a faint grid, a white and a dark ring around
/// the middle pixel, and the frame's outline. Nothing for an empty patch.
void addMagnifier(draw::DrawList& list, const PixelBuffer& patch, Point origin);

} // namespace spanlet::LoupeLayout
