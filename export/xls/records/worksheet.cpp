#include "export/xls/records/worksheet.h"

#include <algorithm>

#include "export/xls/xls_sheet.h"

namespace xls {
namespace {

std::size_t BlocksFor(std::uint32_t rowCount) {
    return (rowCount + RowBlock::kRowsPerBlock - 1) / RowBlock::kRowsPerBlock;
}

// Hashes the texts of a row and starts loading their table slots, a row ahead of interning
// them (see StringInterner::Prefetch). Cells without text get no hash.
void HashRow(const XlsSheet& grid, std::size_t row, const StringInterner& interner,
             std::vector<std::uint32_t>& hashes) {
    for (std::size_t column = 0; column < grid.ColumnCount(); ++column) {
        const XlsCell& cell = grid.At(row, column);
        if (cell.Kind() == CellKind::Undefined) continue;
        hashes[column] = cell.Kind() == CellKind::String ? StringInterner::Hash(cell.Text())
                                                         : StringInterner::Hash(cell.WText());
        interner.Prefetch(hashes[column]);
    }
}

}  // namespace

Worksheet::Worksheet(std::uint32_t rowCount, std::size_t columnCount, bool selected)
    : index_(rowCount, BlocksFor(rowCount)),
      dimensions_(rowCount, columnCount),
      window2_(selected) {
    cells_.Reserve(std::size_t{rowCount} * columnCount);
}

std::optional<Worksheet> Worksheet::FromGrid(const XlsSheet& grid, StringInterner& interner) {
    const auto rowCount = static_cast<std::uint32_t>(grid.RowCount());
    const std::size_t columnCount = grid.ColumnCount();
    Worksheet sheet(rowCount, columnCount, grid.SheetIndex() == 0);
    std::vector<std::uint32_t> hashes(columnCount), nextHashes(columnCount);
    HashRow(grid, 0, interner, nextHashes);
    for (std::uint32_t row = 0; row < rowCount; ++row) {
        hashes.swap(nextHashes);
        if (row + 1 < rowCount) HashRow(grid, row + 1, interner, nextHashes);
        for (std::size_t column = 0; column < columnCount; ++column) {
            const XlsCell& cell = grid.At(row, column);
            CellEntry entry;
            entry.xfIndex = cell.XfIndex();
            if (cell.Kind() == CellKind::String) {
                if (cell.Text().size() > SharedStringTable::kMaxCharacters) return std::nullopt;
                entry.sstIndex = interner.Intern(cell.Text(), hashes[column]);
            } else if (cell.Kind() == CellKind::WString) {
                if (cell.WText().size() > SharedStringTable::kMaxCharacters) return std::nullopt;
                entry.sstIndex = interner.Intern(cell.WText(), hashes[column]);
            }
            sheet.cells_.PushBack(entry);
        }
    }
    const std::span<const CellEntry> cells(sheet.cells_.begin(), sheet.cells_.Size());
    sheet.blocks_.reserve(BlocksFor(rowCount));
    for (std::uint32_t first = 0; first < rowCount; first += RowBlock::kRowsPerBlock) {
        const std::uint32_t rows = std::min(RowBlock::kRowsPerBlock, rowCount - first);
        sheet.blocks_.emplace_back(first, columnCount,
                                   cells.subspan(first * columnCount, rows * columnCount));
    }
    return sheet;
}

void Worksheet::SetPosition(std::uint32_t position) {
    std::size_t cursor =
        std::size_t{position} + bof_.TotalSize() + index_.TotalSize() + dimensions_.TotalSize();
    for (std::size_t k = 0; k < blocks_.size(); ++k) {
        RowBlock& block = blocks_[k];
        cursor += block.RowsAndCellsSize();
        index_.SetDbCellPosition(k, static_cast<std::uint32_t>(cursor));
        block.FillOffsets();
        cursor += block.GetDBCell().TotalSize();
    }
}

std::size_t Worksheet::TotalSize() const {
    std::size_t size = bof_.TotalSize() + index_.TotalSize() + dimensions_.TotalSize() +
                       window2_.TotalSize() + eof_.TotalSize();
    for (const RowBlock& block : blocks_) size += block.TotalSize();
    return size;
}

std::size_t Worksheet::Write(std::uint8_t* out) const {
    std::uint8_t* cursor = out;
    cursor += bof_.Write(cursor);
    cursor += index_.Write(cursor);
    cursor += dimensions_.Write(cursor);
    for (const RowBlock& block : blocks_) cursor += block.Write(cursor);
    cursor += window2_.Write(cursor);
    cursor += eof_.Write(cursor);
    return static_cast<std::size_t>(cursor - out);
}

}  // namespace xls
