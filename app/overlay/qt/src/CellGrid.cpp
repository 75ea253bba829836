#include "CellGrid.hpp"

#include <algorithm>
#include <cmath>

#include <spanlet/overlay/qt/QPainterBackend.hpp>

namespace spanlet::draw {

namespace {

bool near(double a, double b) {
    return std::abs(a - b) <= 1e-9 * std::max({1.0, std::abs(a), std::abs(b)});
}

const FillRect* fillAt(const std::vector<DrawOp>& ops, std::size_t i) {
    return i < ops.size() ? std::get_if<FillRect>(&ops[i]) : nullptr;
}

} // namespace

std::optional<CellGrid> cellGridAt(const std::vector<DrawOp>& ops, std::size_t first,
                                   std::size_t minimumCells) {
    const FillRect* origin = fillAt(ops, first);
    if (origin == nullptr || !(origin->rect.width > 0) || !(origin->rect.height > 0)) {
        return std::nullopt;
    }
    const Rect cell = origin->rect;
    const auto isCell = [&](std::size_t i, std::size_t column, std::size_t row) {
        const FillRect* f = fillAt(ops, i);
        return f != nullptr && near(f->rect.width, cell.width) &&
               near(f->rect.height, cell.height) &&
               near(f->rect.x, cell.x + cell.width * static_cast<double>(column)) &&
               near(f->rect.y, cell.y + cell.height * static_cast<double>(row));
    };
    std::size_t columns = 1;
    while (isCell(first + columns, columns, 0)) {
        ++columns;
    }
    std::size_t rows = 1;
    for (;; ++rows) {
        bool full = true;
        for (std::size_t c = 0; c < columns && full; ++c) {
            full = isCell(first + rows * columns + c, c, rows);
        }
        if (!full) {
            break;
        }
    }
    if (columns < 2 || rows < 2 || columns * rows < minimumCells) {
        return std::nullopt;
    }
    return CellGrid{QRectF(cell.x, cell.y, cell.width * static_cast<double>(columns),
                           cell.height * static_cast<double>(rows)),
                    columns, rows};
}

QImage cellImage(const std::vector<DrawOp>& ops, std::size_t first, const CellGrid& grid) {
    QImage image(static_cast<int>(grid.columns), static_cast<int>(grid.rows),
                 QImage::Format_ARGB32_Premultiplied);
    for (std::size_t r = 0; r < grid.rows; ++r) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(r)));
        for (std::size_t c = 0; c < grid.columns; ++c) {
            const FillRect* f = fillAt(ops, first + r * grid.columns + c);
            line[c] = f != nullptr ? qPremultiply(QPainterBackend::color(f->color).rgba()) : 0;
        }
    }
    return image;
}

} // namespace spanlet::draw
