#include "export/xls/records/row_block.h"

namespace xls {

RowBlock::RowBlock(std::uint32_t firstRow, std::size_t columnCount,
                   std::span<const CellEntry> cells)
    : firstRow_(firstRow),
      columnCount_(columnCount),
      rowCount_(static_cast<std::uint32_t>(cells.size() / columnCount)),
      cells_(cells),
      dbCell_(rowCount_) {
    for (const CellEntry& cell : cells_) cellsSize_ += CellSize(cell);
}

void RowBlock::FillOffsets() {
    dbCell_.SetFirstRowOffset(static_cast<std::uint32_t>(RowsAndCellsSize()));
    std::size_t offset = (rowCount_ - 1) * Row::kTotalSize;
    for (std::uint32_t row = 0; row < rowCount_; ++row) {
        dbCell_.SetRowOffset(row, static_cast<std::uint16_t>(offset));  // cut to 16 bits
        offset = 0;
        for (std::size_t column = 0; column < columnCount_; ++column) {
            offset += CellSize(cells_[row * columnCount_ + column]);
        }
    }
}

std::size_t RowBlock::Write(std::uint8_t* out) const {
    std::uint8_t* cursor = out;
    for (std::uint32_t row = 0; row < rowCount_; ++row) {
        cursor += Row(firstRow_ + row, columnCount_).Write(cursor);
    }
    for (std::size_t i = 0; i < cells_.size(); ++i) {
        const CellEntry& cell = cells_[i];
        const auto row = static_cast<std::uint32_t>(firstRow_ + i / columnCount_);
        const auto column = static_cast<std::uint32_t>(i % columnCount_);
        if (cell.sstIndex == CellEntry::kBlank) {
            cursor += Blank(row, column, cell.xfIndex).Write(cursor);
        } else {
            cursor += LabelSST(row, column, cell.xfIndex, cell.sstIndex).Write(cursor);
        }
    }
    cursor += dbCell_.Write(cursor);
    return static_cast<std::size_t>(cursor - out);
}

}  // namespace xls
