#pragma once

#include <vector>

#include "export/xls/records/global_records.h"
#include "export/xls/records/shared_string_table.h"
#include "export/xls/records/substream_records.h"

namespace xls {

// The workbook-global records, written in this order: BOF, WINDOW1, FONT, XF, STYLE,
// BOUNDSHEET, SST (with its CONTINUE records), EOF.
class Workbook {
public:
    // No fonts, formats, styles or sheets.
    Workbook() = default;
    // What a new book starts with: 1 font, 21 XFs, 6 styles and one sheet entry per worksheet.
    static Workbook ForNewBook(std::size_t sheetCount);

    std::vector<BoundSheet>& BoundSheets() { return boundSheets_; }
    SharedStringTable& Sst() { return sst_; }
    const SharedStringTable& Sst() const { return sst_; }

    std::size_t TotalSize() const;
    std::size_t Write(std::uint8_t* out) const;

private:
    template <class Visit>
    void ForEachRecord(Visit&& visit) const;

    BOF bof_{BOF::kWorkbookGlobals};
    Window1 window1_;
    std::vector<Font> fonts_;
    std::vector<XF> xfs_;
    std::vector<Style> styles_;
    std::vector<BoundSheet> boundSheets_;
    SharedStringTable sst_;
    EofRecord eof_;
};

}  // namespace xls
