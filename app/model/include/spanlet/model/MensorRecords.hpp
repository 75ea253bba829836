#pragma once

#include <string>

#include <spanlet/Color.hpp>
#include <spanlet/Cross.hpp>
#include <spanlet/PixelBuffer.hpp>
#include <spanlet/Uuid.hpp>

namespace spanlet {

/// The loupe: the pixels around the pointer (15 × 15 device pixels, the pointer's pixel in the
/// middle, clear outside the display) and the colour of the pointer's pixel.
struct Loupe {
    PixelBuffer patch;
    SRGBColor color;
    friend bool operator==(const Loupe&, const Loupe&) = default;
};

/// A kept measurement.
struct Pinned {
    Uuid id;
    Cross cross;
    friend bool operator==(const Pinned&, const Pinned&) = default;
};

/// The on-screen message. Two messages with the same text are still different messages.
struct Toast {
    Uuid id;
    std::string text;
    friend bool operator==(const Toast&, const Toast&) = default;
};

} // namespace spanlet
