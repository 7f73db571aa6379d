#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "export/util/page_array.h"
#include "export/xls/records/row_block.h"
#include "export/xls/records/sheet_records.h"
#include "export/xls/records/string_interner.h"
#include "export/xls/records/substream_records.h"

class XlsSheet;

namespace xls {

// The records of one worksheet, rebuilt from its grid at every save. Move-only: its row blocks
// point into its cell table.
class Worksheet {
public:
    // Every cell of the grid becomes a record, Undefined ones a BLANK; texts are interned on the
    // way. Empty when a text is too long for the SST.
    static std::optional<Worksheet> FromGrid(const XlsSheet& grid, StringInterner& interner);

    // Fills in the stream positions and offsets of INDEX and DBCELL for a worksheet whose BOF
    // starts at `position`.
    void SetPosition(std::uint32_t position);

    std::size_t TotalSize() const;
    std::size_t Write(std::uint8_t* out) const;

    const Index& GetIndex() const { return index_; }
    const std::vector<RowBlock>& Blocks() const { return blocks_; }

private:
    Worksheet(std::uint32_t rowCount, std::size_t columnCount, bool selected);

    BOF bof_{BOF::kWorksheet};
    Index index_;
    Dimensions dimensions_;
    PageArray<CellEntry> cells_;  // row by row, every cell of the grid
    std::vector<RowBlock> blocks_;
    Window2 window2_;
    EofRecord eof_;
};

}  // namespace xls
