#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "export/storage/compound_file.h"
#include "export/util/page_buffer.h"
#include "export/xls/records/workbook.h"
#include "export/xls/records/worksheet.h"
#include "export/xls/xls_sheet.h"

// An .xls workbook (BIFF8 in the stream "Workbook" of a compound file) being edited and saved.
// Failures are reported as false or null, never thrown; only a failed allocation throws.
class XlsBook {
public:
    XlsBook() = default;
    ~XlsBook() = default;  // releases the storage, which closes the file
    XlsBook(const XlsBook&) = delete;
    XlsBook& operator=(const XlsBook&) = delete;

    // Starts over with one empty worksheet "Sheet1" (a 1 by 1 grid). An open file stays open.
    void New();
    // The grid of sheet `index`, or null. Borrowed from the book.
    XlsSheet* GetSheet(std::size_t index);

    // Closes any open file, creates `path` (replacing an existing file) with an empty stream
    // "Workbook" and saves into it.
    bool SaveAs(const std::u16string& path);
    // Writes the whole book into the open file's "Workbook" stream; false without an open file,
    // when the stream cannot be written or a cell text is longer than 65535 characters.
    bool Save();
    // Releases the open file, if any.
    void Close();

    // The bytes of the "Workbook" stream as Save writes them: the records are rebuilt from the
    // grids, sized, given their positions and written into one buffer of exactly that size.
    // Empty when a cell text is longer than 65535 characters.
    std::optional<PageBuffer> BuildStream();

private:
    bool Rebuild();

    std::unique_ptr<cfb::CompoundFile> storage_;
    xls::Workbook workbook_;
    std::vector<xls::Worksheet> worksheets_;
    std::vector<std::unique_ptr<XlsSheet>> sheets_;
};
