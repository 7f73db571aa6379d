#include "export/xlsx/xlsx_point_export.h"

#include <xlsxwriter.h>

#include <memory>

#include "export/point_row_utf8.h"
#include "export/replacing_file.h"

namespace {

// Closing a workbook writes and frees it; a workbook dropped after a failure is written into
// the temporary that is then removed.
struct WorkbookCloser {
    void operator()(lxw_workbook* book) const { workbook_close(book); }
};
using WorkbookPtr = std::unique_ptr<lxw_workbook, WorkbookCloser>;

// Empty texts leave the cell blank, as the .xls writes them.
bool WriteRow(lxw_worksheet* sheet, lxw_row_t row, const PointCellsUtf8& cells) {
    for (lxw_col_t column = 0; column < cells.size(); ++column) {
        const std::string& text = cells[column];
        if (text.empty()) continue;
        if (worksheet_write_string(sheet, row, column, text.c_str(), nullptr) != LXW_NO_ERROR) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool WritePointsXlsx(const std::vector<OPCUAItemData*>& points, std::size_t count,
                     const std::string& target) {
    if (count > points.size() || count >= LXW_ROW_MAX) return false;
    ReplacingFile file = ReplacingFile::Begin(target);
    if (!file.IsOpen()) return false;

    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    WorkbookPtr book(workbook_new_opt(file.TemporaryPath().c_str(), &options));
    if (!book) return false;
    lxw_worksheet* sheet = workbook_add_worksheet(book.get(), "Sheet1");
    if (sheet == nullptr) return false;

    PointCellsUtf8 header;
    for (std::size_t c = 0; c < header.size(); ++c) header[c] = kPointHeaderUtf8[c];
    if (!WriteRow(sheet, 0, header)) return false;
    for (std::size_t i = 1; i <= count; ++i) {
        const PointCellsUtf8 cells = ToUtf8Cells(MakePointRow(*points[i - 1], i));
        if (!WriteRow(sheet, static_cast<lxw_row_t>(i), cells)) return false;
    }
    if (workbook_close(book.release()) != LXW_NO_ERROR) return false;
    // The library wrote through its own handle to the same file; ours makes it durable.
    return file.Commit();
}
