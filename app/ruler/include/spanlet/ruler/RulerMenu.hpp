#pragma once

#include <string>
#include <vector>

#include <spanlet/Geometry.hpp>
#include <spanlet/Units.hpp>
#include <spanlet/model/RulerOrientation.hpp>
#include <spanlet/ruler/RulerAction.hpp>

namespace spanlet {

/// One entry of the ruler's context menu: a titled action, or a separator (empty title, None).
struct RulerMenuEntry {
    std::string title;
    RulerAction action;

    [[nodiscard]] bool isSeparator() const noexcept { return title.empty(); }

    friend bool operator==(const RulerMenuEntry&, const RulerMenuEntry&) = default;
};

namespace RulerMenu {

/// The context menu in order: add a guide across the ruler at `pointer` (global top-left
/// points), turn the ruler, switch the unit, a separator, hide the ruler.
std::vector<RulerMenuEntry> entries(RulerOrientation orientation, MeasureUnit unit, Point pointer);

} // namespace RulerMenu

} // namespace spanlet
