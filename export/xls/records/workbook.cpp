#include "export/xls/records/workbook.h"

namespace xls {

Workbook Workbook::ForNewBook(std::size_t sheetCount) {
    Workbook book;
    book.fonts_.resize(1);
    book.xfs_.resize(21);  // as many as a new book made by Excel carries
    book.styles_.resize(6);
    book.boundSheets_.resize(sheetCount);
    return book;
}

template <class Visit>
void Workbook::ForEachRecord(Visit&& visit) const {
    visit(bof_);
    visit(window1_);
    for (const Font& font : fonts_) visit(font);
    for (const XF& xf : xfs_) visit(xf);
    for (const Style& style : styles_) visit(style);
    for (const BoundSheet& sheet : boundSheets_) visit(sheet);
    visit(sst_);
    visit(eof_);
}

std::size_t Workbook::TotalSize() const {
    std::size_t size = 0;
    ForEachRecord([&](const Record& record) { size += record.TotalSize(); });
    return size;
}

std::size_t Workbook::Write(std::uint8_t* out) const {
    std::size_t written = 0;
    ForEachRecord([&](const Record& record) { written += record.Write(out + written); });
    return written;
}

}  // namespace xls
