#pragma once

#include <spanlet/draw/DrawOps.hpp>

namespace spanlet {

/// The ruler's colours for one appearance. "Ink" draws ticks, labels and outlines.
struct RulerColors {
    draw::Color face;
    draw::Color ink;
    /// The pointer marker and the readout badge: the overlay's live-measurement colour.
    draw::Color marker;

    /// Pale yellow face with dark ink, or a dark face with light ink.
    static RulerColors forAppearance(bool dark);

    friend bool operator==(const RulerColors&, const RulerColors&) = default;
};

} // namespace spanlet
