#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <spanlet/Color.hpp>
#include <spanlet/Cross.hpp>
#include <spanlet/Geometry.hpp>
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

/// One live update while snapping: the pointer a capture was taken at and what it gave,
/// published together once per capture so that views draw them as one frame.
struct LiveFrame {
    Point pointer;                              ///< global top-left points
    std::optional<std::uint32_t> pointerScreen; ///< the display holding `pointer`
    std::optional<Cross> cross;
    std::optional<Loupe> loupe;
    std::optional<std::string> captureProblem; ///< why the capture failed
    friend bool operator==(const LiveFrame&, const LiveFrame&) = default;
};

/// A kept measurement.
struct Pinned {
    Uuid id;
    Cross cross;
    friend bool operator==(const Pinned&, const Pinned&) = default;
};

/// What the overlay shows and which input it takes, published after every change of state.
struct OverlayMode {
    bool shown = false; ///< some panel has something to draw
    bool snapping = false;
    bool editingGuides = false;
    friend bool operator==(const OverlayMode&, const OverlayMode&) = default;
};

/// The on-screen message. Two messages with the same text are still different messages.
struct Toast {
    Uuid id;
    std::string text;
    friend bool operator==(const Toast&, const Toast&) = default;
};

} // namespace spanlet
