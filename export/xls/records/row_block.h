#pragma once

#include <cstdint>
#include <limits>
#include <span>

#include "export/xls/records/cell_records.h"

namespace xls {

// What a worksheet keeps per cell: 8 bytes instead of a record object.
struct CellEntry {
    static constexpr std::uint32_t kBlank = std::numeric_limits<std::uint32_t>::max();

    std::uint32_t sstIndex = kBlank;  // kBlank: a BLANK record, otherwise a LABELSST
    std::uint16_t xfIndex = 0;
};

// Up to 32 consecutive rows with exactly `columnCount` cells each: their ROW records, their cell
// records in row-then-column order, and the DBCELL that closes the block.
class RowBlock {
public:
    static constexpr std::uint32_t kRowsPerBlock = 32;

    // `cells` holds the block's rows one after another, `columnCount` cells each; the block
    // borrows them from its worksheet.
    RowBlock(std::uint32_t firstRow, std::size_t columnCount, std::span<const CellEntry> cells);

    // The bytes of the ROW and cell records, which is also the DBCELL's offset back.
    std::size_t RowsAndCellsSize() const { return rowCount_ * Row::kTotalSize + cellsSize_; }
    std::size_t TotalSize() const { return RowsAndCellsSize() + dbCell_.TotalSize(); }
    const DBCell& GetDBCell() const { return dbCell_; }

    // Fills in the DBCELL: the offset back to the first ROW record, and for each row the offset
    // to its first cell record, counted from the second ROW record for row 0 and from the
    // previous row's first cell record for the others.
    void FillOffsets();

    std::size_t Write(std::uint8_t* out) const;

private:
    static std::size_t CellSize(const CellEntry& cell) {
        return cell.sstIndex == CellEntry::kBlank ? Blank::kTotalSize : LabelSST::kTotalSize;
    }

    std::uint32_t firstRow_;
    std::size_t columnCount_;
    std::uint32_t rowCount_;
    std::span<const CellEntry> cells_;
    std::size_t cellsSize_ = 0;
    DBCell dbCell_;
};

}  // namespace xls
