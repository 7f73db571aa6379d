#include "export/xlsx/xlsx_point_export.h"

#include <unistd.h>
#include <xlsxwriter.h>

#include <cstdio>
#include <fstream>
#include <memory>

#include "export/columns/point_columns.h"
#include "export/replacing_file.h"

namespace {

// Closing a workbook writes and frees it; a workbook dropped after a failure is written into
// the temporary that is then removed.
struct WorkbookCloser {
    void operator()(lxw_workbook* book) const { workbook_close(book); }
};
using WorkbookPtr = std::unique_ptr<lxw_workbook, WorkbookCloser>;

// Empty texts leave the cell blank, as the .xls writes them.
bool WriteRow(lxw_worksheet* sheet, lxw_row_t row, const std::vector<std::string>& cells) {
    for (lxw_col_t column = 0; column < cells.size(); ++column) {
        const std::string& text = cells[column];
        if (text.empty()) continue;
        if (worksheet_write_string(sheet, row, column, text.c_str(), nullptr) != LXW_NO_ERROR) {
            return false;
        }
    }
    return true;
}

// In constant-memory mode the library keeps the sheet's rows in a temporary file whose write
// errors it never reports: a full disk would give a complete-looking workbook with rows
// missing. So the last row is pushed out here and the temporary's state checked.
bool SheetRowsWritten(lxw_worksheet* sheet) {
    lxw_worksheet_write_single_row(sheet);
    FILE* rows = sheet->optimize_tmpfile;
    return rows != nullptr && std::fflush(rows) == 0 && std::ferror(rows) == 0;
}

// A cancelled workbook is thrown away, but the library packs the rows it holds when it lets the
// workbook go; with them dropped first a cancel takes moments instead of as long as a save.
void DropRows(lxw_worksheet* sheet) {
    FILE* rows = sheet->optimize_tmpfile;
    if (rows == nullptr || std::fflush(rows) != 0) return;
    if (::ftruncate(::fileno(rows), 0) == 0) std::rewind(rows);
}

// A zip the library wrote completely ends with its end-of-directory record (22 bytes, no
// comment).
bool EndsWithZipDirectory(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char signature[4] = {};
    in.seekg(-22, std::ios::end);
    in.read(signature, sizeof signature);
    return in && std::string_view(signature, 4) == std::string_view("PK\x05\x06", 4);
}

}  // namespace

bool WritePointsXlsx(const std::vector<OPCUAItemData*>& points, std::size_t count,
                     ReplacingFile& file, const ExportContext& context,
                     const ExportProgress* progress) {
    if (count > points.size() || count >= LXW_ROW_MAX) return false;
    if (!file.IsOpen()) return false;

    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    WorkbookPtr book(workbook_new_opt(file.TemporaryPath().c_str(), &options));
    if (!book) return false;
    lxw_worksheet* sheet = workbook_add_worksheet(book.get(), "Sheet1");
    if (sheet == nullptr) return false;

    const std::vector<PointColumn> columns = ExportedColumns(context.attributes != nullptr);
    std::vector<std::string> header;
    for (const PointColumn column : columns) header.emplace_back(ColumnHeader(column));
    if (!WriteRow(sheet, 0, header)) return false;
    for (std::size_t i = 1; i <= count; ++i) {
        if (!KeepGoing(progress, i - 1, count)) {
            DropRows(sheet);
            return false;
        }
        const std::vector<std::string> cells =
            PointCells(*points[i - 1], i, context.AttributesOf(i - 1), columns);
        if (!WriteRow(sheet, static_cast<lxw_row_t>(i), cells)) return false;
    }
    if (!SheetRowsWritten(sheet)) return false;
    if (!KeepGoing(progress, count, count)) {
        DropRows(sheet);
        return false;
    }
    if (workbook_close(book.release()) != LXW_NO_ERROR) return false;
    // The library wrote through its own handle to the same file; ours makes it durable.
    return EndsWithZipDirectory(file.TemporaryPath()) && file.Commit();
}
