#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <spanlet/Geometry.hpp>
#include <spanlet/screen/ScreenInfo.hpp>

/// Turning what the compositor says about its outputs into the display list. Pure functions.
namespace spanlet::OutputLayout {

/// One output as wl_output and xdg-output describe it.
struct Output {
    /// The connector name ("HEADLESS-1", "DP-2"); the same output keeps it across re-plugs.
    std::string name;
    /// Position and size in the compositor's layout, in logical points (top-left, y down).
    Rect logical;
    /// Current mode in device pixels, before the output's transform; 0 when not known.
    std::int32_t modeWidth = 0;
    std::int32_t modeHeight = 0;
    /// wl_output.transform; odd values (90° and 270°, flipped or not) swap width and height.
    std::int32_t transform = 0;
    /// wl_output.scale: the integer buffer scale the compositor prefers.
    std::int32_t integerScale = 1;
};

/// Device pixels per logical point: the mode's width across the logical width, so a
/// fractional scale such as 1.5 comes out exactly; wl_output.scale where either is missing.
double deviceScale(const Output& output);

/// A display id that stays the same for the same connector name: FNV-1a of the name.
std::uint32_t idForName(std::string_view name);

/// One display of the list and the output it stands for.
struct Placed {
    std::size_t output = 0; ///< index into the outputs given
    ScreenInfo screen;
};

/// The display list: the output holding the layout's origin first (else the top-most, then
/// left-most), then the rest by x and y. Ids come from idForName(); a clash takes the next free
/// number, in that order. Outputs with an empty logical size are left out.
std::vector<Placed> place(std::span<const Output> outputs);

} // namespace spanlet::OutputLayout
