#pragma once

#include <optional>
#include <string>
#include <vector>

#include <spanlet/Cross.hpp>
#include <spanlet/Geometry.hpp>
#include <spanlet/Guides.hpp>
#include <spanlet/Units.hpp>
#include <spanlet/Uuid.hpp>
#include <spanlet/model/MensorRecords.hpp>

namespace spanlet {

/// Everything one display's overlay shows, as a plain value. Positions and lengths are points
/// in the display's local space (origin at its top-left corner, y down); only a Cross's four
/// distances are device pixels. The painter draws exactly this and nothing else.
struct OverlayScene {
    /// One guide as drawn.
    struct Line {
        Uuid id;
        Axis axis = Axis::vertical;
        double position = 0; ///< local x (vertical) or y (horizontal)
        bool selected = false;
        friend bool operator==(const Line&, const Line&) = default;
    };

    /// The labelled gap between two neighbouring guides of one axis.
    struct GapLabel {
        Axis axis = Axis::vertical;
        double from = 0;   ///< local position of the first (smaller) guide
        double to = 0;     ///< local position of the second guide
        double across = 0; ///< local y (vertical gap) or x (horizontal gap) of the measuring line
        std::string text;  ///< "12.5 pt", "25 px"
        friend bool operator==(const GapLabel&, const GapLabel&) = default;
    };

    Size size; ///< the display's size in points
    DisplayScale scale = DisplayScale::standard;
    MeasureUnit unit = MeasureUnit::points;
    std::vector<Line> guides;
    std::vector<GapLabel> gaps;
    std::optional<Cross> live;
    std::vector<Cross> pinned;
    std::optional<Loupe> loupe;
    std::optional<std::string> loupeHint;
    std::optional<Point> pointer;
    std::optional<std::string> message;
    bool editing = false;

    friend bool operator==(const OverlayScene&, const OverlayScene&) = default;
};

} // namespace spanlet
