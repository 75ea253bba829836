#pragma once

#include <spanlet/draw/DrawOps.hpp>

/// The overlay's fixed palette (sRGB).
namespace spanlet::OverlayColors {

/// Guides, gap lines and gap label boxes.
inline constexpr draw::Color guide{0.0, 0.62, 0.95, 1};
inline constexpr draw::Color selectedGuide{1.0, 0.55, 0.0, 1};
inline constexpr draw::Color live{1.0, 0.18, 0.47, 1};
inline constexpr draw::Color kept{0.47, 0.33, 1.0, 1};
/// Behind the loupe's colour text, the message and the editing banner.
inline constexpr draw::Color labelBackground{0.11, 0.11, 0.13, 0.88};

} // namespace spanlet::OverlayColors
