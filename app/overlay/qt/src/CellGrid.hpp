#pragma once

#include <QImage>
#include <QRectF>
#include <cstddef>
#include <optional>
#include <vector>

#include <spanlet/overlay/DrawOps.hpp>

namespace spanlet::draw {

/// A run of rectangle fills that tile a grid: equal cells, row by row, left to right, each
/// starting where the one before it ends (a loupe's magnified pixels).
struct CellGrid {
    QRectF bounds;
    std::size_t columns = 0;
    std::size_t rows = 0;
    [[nodiscard]] std::size_t count() const noexcept { return columns * rows; }
};

/// The grid that the fills from `ops[first]` on make, when they make one of at least two rows
/// and two columns and `minimumCells` cells in all.
std::optional<CellGrid> cellGridAt(const std::vector<DrawOp>& ops, std::size_t first,
                                   std::size_t minimumCells = 16);

/// The grid's colours as an image of one pixel per cell, to be drawn scaled without smoothing:
/// one blit instead of a fill per cell.
QImage cellImage(const std::vector<DrawOp>& ops, std::size_t first, const CellGrid& grid);

} // namespace spanlet::draw
