#pragma once

#include <cstddef>
#include <cstdint>

#include "export/xls/cell_grid.h"
#include "export/xls/cell_text_store.h"
#include "export/xls/xls_cell.h"

// The editing grid of one worksheet: always rectangular, at least 1 by 1, at most 65536 rows.
class XlsSheet {
public:
    static constexpr std::uint32_t kMaxRow = 65535;

    explicit XlsSheet(std::size_t sheetIndex);
    XlsSheet(const XlsSheet&) = delete;
    XlsSheet& operator=(const XlsSheet&) = delete;

    // The cell at (row, column), growing the grid to include it. Null, with the grid unchanged,
    // for a row above kMaxRow. The pointer is valid until the grid next grows.
    XlsCell* Cell(std::uint32_t row, std::uint32_t column);

    std::size_t SheetIndex() const { return sheetIndex_; }
    std::size_t RowCount() const { return cells_.Rows(); }
    std::size_t ColumnCount() const { return cells_.Columns(); }
    const XlsCell& At(std::size_t row, std::size_t column) const { return cells_.At(row, column); }

private:
    std::size_t sheetIndex_;
    CellTextStore texts_;  // before the cells, which point into it
    CellGrid cells_{1, 1, std::size_t{kMaxRow} + 1, texts_};
};
