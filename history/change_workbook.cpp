#include "history/change_workbook.h"

#include <xlsxwriter.h>

#include <memory>

#include "export/replacing_file.h"

namespace {

struct WorkbookCloser {
    void operator()(lxw_workbook* book) const { workbook_close(book); }
};

}  // namespace

bool WriteChangeWorkbook(const std::vector<ChangeRow>& rows, ReplacingFile& file) {
    if (!file.IsOpen() || rows.size() > LXW_ROW_MAX) return false;
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    std::unique_ptr<lxw_workbook, WorkbookCloser> book(
        workbook_new_opt(file.TemporaryPath().c_str(), &options));
    if (!book) return false;
    lxw_worksheet* sheet = workbook_add_worksheet(book.get(), "Changes");
    if (sheet == nullptr) return false;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            if (rows[r][c].empty()) continue;
            if (worksheet_write_string(sheet, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c),
                                       rows[r][c].c_str(), nullptr) != LXW_NO_ERROR)
                return false;
        }
    }
    if (workbook_close(book.release()) != LXW_NO_ERROR) return false;
    return file.Commit();
}
