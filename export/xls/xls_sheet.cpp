#include "export/xls/xls_sheet.h"

XlsSheet::XlsSheet(std::size_t sheetIndex) : sheetIndex_(sheetIndex) {}

XlsCell* XlsSheet::Cell(std::uint32_t row, std::uint32_t column) {
    if (row > kMaxRow) return nullptr;
    cells_.GrowTo(std::size_t{row} + 1, std::size_t{column} + 1);
    return &cells_.At(row, column);
}
