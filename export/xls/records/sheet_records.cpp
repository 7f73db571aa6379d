#include "export/xls/records/sheet_records.h"

namespace xls {

void Index::WritePayload(RecordWriter& out) const {
    out.U32(0);  // reserved
    out.U32(0);  // first row
    out.U32(rowCount_);
    out.U32(0);  // reserved
    for (std::uint32_t position : dbCellPositions_) out.U32(position);
}

void Dimensions::WritePayload(RecordWriter& out) const {
    out.U32(0);  // first row
    out.U32(rowCount_);
    out.U16(0);  // first column
    out.U16(static_cast<std::uint16_t>(columnCount_));
    out.U16(0);  // reserved
}

void Window2::WritePayload(RecordWriter& out) const {
    out.U16(options_);
    out.U16(0);       // first visible row
    out.U16(0);       // first visible column
    out.U16(0x0040);  // gridline colour index
    out.U16(0);       // reserved
    out.U16(0);       // page-break preview zoom
    out.U16(0);       // normal zoom
    out.U32(0);       // reserved
}

}  // namespace xls
