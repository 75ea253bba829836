#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <spanlet/Geometry.hpp>
#include <spanlet/draw/DrawOps.hpp>
#include <spanlet/draw/TextMeasurer.hpp>

namespace spanlet::wayland {

/// A menu's rows in points: one row per title, a thin one with a line for each empty title
/// (a separator), as wide as the widest title needs. Positions are menu-local points.
class MenuLayout {
public:
    static constexpr double padding = 4;    ///< above the first row and below the last
    static constexpr double rowHeight = 24; ///< an entry's
    static constexpr double separatorHeight = 9;
    static constexpr double textInset = 14; ///< left and right of the titles
    static constexpr double minimumWidth = 160;

    MenuLayout(std::vector<std::string> titles, const draw::TextMeasurer& measurer);

    [[nodiscard]] Size size() const noexcept { return size_; }
    [[nodiscard]] std::size_t count() const noexcept { return titles_.size(); }
    /// The entry at `at`; nothing over a separator, the padding or outside.
    [[nodiscard]] std::optional<std::size_t> entryAt(Point at) const;
    /// The entry after (or before) `from` that is not a separator, wrapping round; the first
    /// (or last) one without `from`; nothing when every row is a separator.
    [[nodiscard]] std::optional<std::size_t> step(std::optional<std::size_t> from,
                                                  bool forward) const;
    /// The menu with `hovered` highlighted.
    [[nodiscard]] draw::DrawList draw(std::optional<std::size_t> hovered) const;

private:
    [[nodiscard]] bool separator(std::size_t i) const { return titles_[i].empty(); }

    std::vector<std::string> titles_;
    std::vector<double> tops_; ///< each row's top
    std::vector<Size> textSizes_;
    Size size_;
};

} // namespace spanlet::wayland
