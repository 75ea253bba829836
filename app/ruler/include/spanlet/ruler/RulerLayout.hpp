#pragma once

#include <optional>
#include <string>

#include <spanlet/draw/DrawOps.hpp>
#include <spanlet/draw/TextMeasurer.hpp>
#include <spanlet/ruler/RulerView.hpp>

/// The ruler's drawing as draw operations, in the view's local points (origin top-left, y
/// down, W × H = RulerView::size()). Order: face, ticks, tick labels, unit label, grip, pointer
/// marker, readout badge.
namespace spanlet::RulerLayout {

/// Smallest distance (points) between two ticks.
inline constexpr double minimumTickSpacing = 2;
/// No tick label starts within this many points of the ruler's far end.
inline constexpr double labelEndMargin = 14;

/// The pointer's readout badge: a rounded box in the marker colour with white text centred.
struct ReadoutBadge {
    Rect box;
    std::string text;
    draw::FontChoice font;
    /// The text's measured size.
    Size textSize;

    friend bool operator==(const ReadoutBadge&, const ReadoutBadge&) = default;
};

/// The pointer offset rounded to the display's device pixels (points), when the pointer lies
/// on the ruler (offset in [0, length]); nothing otherwise.
std::optional<double> markerPosition(const RulerView& view);

/// The badge beside the marker, or nothing without a marker. Horizontal: the readout with its
/// unit below the ruler's middle, right of the marker unless that would cross the far end.
/// Vertical: the bare number, below the marker unless that would cross the lower end, in a
/// font shrunk from 10 down to 8 points at most while it does not fit the ruler's width.
std::optional<ReadoutBadge> readoutBadge(const RulerView& view, const draw::TextMeasurer& measurer);

/// Everything the ruler shows.
draw::DrawList draw(const RulerView& view, const draw::TextMeasurer& measurer);

} // namespace spanlet::RulerLayout
