#pragma once

#include <cstddef>

#include "export/util/page_buffer.h"
#include "export/xls/cell_text_store.h"
#include "export/xls/xls_cell.h"

// The cells of one sheet, row after row in one block of zero-filled pages (see PageBuffer). A
// full export holds almost half a million cells: one mapping that can use huge pages, instead of
// a heap block per row, spares tens of thousands of page faults. Room for up to 64 MiB of rows
// is reserved at once (untouched pages cost nothing), so a sheet of a few columns never moves
// while it gets longer; a new column count lays every row out again. Longer texts go to
// `texts`, which must outlive the grid.
class CellGrid {
public:
    static constexpr std::size_t kReservedBytes = std::size_t{64} << 20;

    CellGrid(std::size_t rows, std::size_t columns, std::size_t maxRows, CellTextStore& texts,
             std::size_t reservedBytes = kReservedBytes);
    ~CellGrid();
    CellGrid(const CellGrid&) = delete;
    CellGrid& operator=(const CellGrid&) = delete;

    std::size_t Rows() const { return rows_; }
    std::size_t Columns() const { return columns_; }
    XlsCell& At(std::size_t row, std::size_t column) { return Cells()[row * columns_ + column]; }
    const XlsCell& At(std::size_t row, std::size_t column) const {
        return Cells()[row * columns_ + column];
    }

    // Grows the grid to at least `rows` (at most maxRows) by `columns`; new cells are
    // Undefined.
    void GrowTo(std::size_t rows, std::size_t columns);

private:
    XlsCell* Cells() { return reinterpret_cast<XlsCell*>(storage_.data()); }
    const XlsCell* Cells() const { return reinterpret_cast<const XlsCell*>(storage_.data()); }
    void Relayout(std::size_t capacityRows, std::size_t columns);

    void ConstructCells(XlsCell* first, std::size_t count);
    std::size_t CapacityFor(std::size_t rows, std::size_t columns) const;

    std::size_t maxRows_;
    std::size_t reservedBytes_;
    CellTextStore& texts_;
    PageBuffer storage_;
    std::size_t rows_ = 0;
    std::size_t columns_ = 0;
    std::size_t capacityRows_ = 0;
};
