#pragma once

#include <cstdint>

#include <spanlet/Geometry.hpp>
#include <spanlet/Units.hpp>

namespace spanlet {

/// One display. `frame` is in global top-left points (y down); `cocoaFrame` is the same
/// rectangle in global bottom-left points (y up), derived with Desktop::flipped.
struct ScreenInfo {
    std::uint32_t id = 0;
    Rect frame;
    Rect cocoaFrame;
    DisplayScale scale = DisplayScale::standard;

    friend bool operator==(const ScreenInfo&, const ScreenInfo&) = default;
};

} // namespace spanlet
