#include "export/xls/records/substream_records.h"

namespace xls {

void BOF::WritePayload(RecordWriter& out) const {
    out.U16(0x0600);  // BIFF8
    out.U16(substreamType_);
    out.U16(0x19A0);  // build
    out.U16(0x07CD);  // build year
    out.U32(0xC0C9);  // file history flags
    out.U32(0x0306);  // lowest version that can read the file
}

}  // namespace xls
