#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
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
    ~XlsBook() = default;
    XlsBook(const XlsBook&) = delete;
    XlsBook& operator=(const XlsBook&) = delete;

    // Starts over with one empty worksheet "Sheet1" (a 1 by 1 grid). An open file stays open.
    void New();
    // The grid of sheet `index`, or null. Borrowed from the book.
    XlsSheet* GetSheet(std::size_t index);

    // Saves the book as `path`, which it keeps as its file. A failed save leaves any file at
    // `path` as it was and the book without a file.
    bool SaveAs(const std::u16string& path);
    // Saves into `file` (a descriptor, say) instead of a path; the book keeps no path.
    bool SaveInto(ReplacingFile file);
    // Replaces the book's file with a compound file whose "Workbook" stream holds the whole
    // book; false without a file, when the file cannot be written or a cell text is longer than
    // 65535 characters. The old file stays whole until the new one is complete on the disk.
    bool Save();
    // Forgets the book's file, if any.
    void Close();

    // The bytes of the "Workbook" stream as Save writes them: the records are rebuilt from the
    // grids, sized, given their positions and written into one buffer of exactly that size.
    // Empty when a cell text is longer than 65535 characters.
    std::optional<PageBuffer> BuildStream();

private:
    bool Rebuild();
    static bool WriteStream(std::unique_ptr<cfb::CompoundFile> file,
                            std::span<const std::uint8_t> bytes);

    std::optional<std::u16string> path_;
    xls::Workbook workbook_;
    std::vector<xls::Worksheet> worksheets_;
    std::vector<std::unique_ptr<XlsSheet>> sheets_;
};
