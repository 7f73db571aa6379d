#include "export/xls/records/cell_records.h"

namespace xls {

// Fields wider than the format's are cut to it; grids this large never get written.
void Row::WritePayload(RecordWriter& out) const {
    out.U16(static_cast<std::uint16_t>(row_));
    out.U16(0);  // first column
    out.U16(static_cast<std::uint16_t>(columnCount_));
    out.U16(0x00FF);  // height
    out.U16(0);       // reserved
    out.U16(0);       // reserved
    out.U32(0x0100);  // flags
}

void Blank::WritePayload(RecordWriter& out) const {
    out.U16(static_cast<std::uint16_t>(row_));
    out.U16(static_cast<std::uint16_t>(column_));
    out.U16(xfIndex_);
}

void LabelSST::WritePayload(RecordWriter& out) const {
    out.U16(static_cast<std::uint16_t>(row_));
    out.U16(static_cast<std::uint16_t>(column_));
    out.U16(xfIndex_);
    out.U32(sstIndex_);
}

void DBCell::WritePayload(RecordWriter& out) const {
    out.U32(firstRowOffset_);
    for (std::uint16_t offset : rowOffsets_) out.U16(offset);
}

}  // namespace xls
