#include "export/xls/cell_grid.h"

#include <algorithm>
#include <memory>
#include <new>

CellGrid::CellGrid(std::size_t rows, std::size_t columns, std::size_t maxRows, CellTextStore& texts,
                   std::size_t reservedBytes)
    : maxRows_(maxRows), reservedBytes_(reservedBytes), texts_(texts) {
    GrowTo(rows, columns);
}

CellGrid::~CellGrid() { std::destroy_n(Cells(), rows_ * columns_); }

void CellGrid::GrowTo(std::size_t rows, std::size_t columns) {
    rows = std::max(rows, rows_);
    columns = std::max(columns, columns_);
    rows = std::min(rows, maxRows_);
    if (columns != columns_ || rows > capacityRows_) Relayout(CapacityFor(rows, columns), columns);
    ConstructCells(Cells() + rows_ * columns_, (rows - rows_) * columns_);
    rows_ = rows;
}

// Rows to make room for: at least twice the current room, and as many as fit the reserve.
std::size_t CellGrid::CapacityFor(std::size_t rows, std::size_t columns) const {
    const std::size_t reserved = reservedBytes_ / (columns * sizeof(XlsCell));
    return std::min(maxRows_, std::max({rows, 2 * capacityRows_, reserved}));
}

void CellGrid::ConstructCells(XlsCell* first, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) ::new (first + i) XlsCell(&texts_);
}

// Moves the cells into fresh storage of `capacityRows` rows of `columns` cells; the rows keep
// their place, any new columns in them are Undefined.
void CellGrid::Relayout(std::size_t capacityRows, std::size_t columns) {
    PageBuffer fresh(capacityRows * columns * sizeof(XlsCell));
    auto* target = reinterpret_cast<XlsCell*>(fresh.data());
    for (std::size_t row = 0; row < rows_; ++row) {
        XlsCell* from = Cells() + row * columns_;
        XlsCell* to = target + row * columns;
        for (std::size_t column = 0; column < columns_; ++column) {
            XlsCell::Relocate(from[column], to + column);
        }
        ConstructCells(to + columns_, columns - columns_);
        std::destroy_n(from, columns_);
    }
    storage_ = std::move(fresh);
    columns_ = columns;
    capacityRows_ = capacityRows;
}
