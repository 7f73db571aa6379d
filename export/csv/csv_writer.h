#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class ReplacingFile;

// RFC 4180 records: fields joined by commas, records ended by CRLF, a field quoted when it holds
// a comma, a quote, CR or LF, with its quotes doubled. Collected in a buffer and written in large
// pieces; after a failed write everything reports failure.
class CsvWriter {
public:
    explicit CsvWriter(ReplacingFile& file) : file_(file) {}

    // The UTF-8 byte-order mark, so that spreadsheet programs take the file as UTF-8.
    void ByteOrderMark();
    void Field(std::string_view text);
    // Ends the record; false once a write has failed.
    bool EndRecord();
    // Writes what is buffered; false once a write has failed.
    bool Flush();

private:
    static constexpr std::size_t kFlushAt = 1 << 20;

    ReplacingFile& file_;
    std::string buffer_;
    bool firstField_ = true;
    bool ok_ = true;
};

// `text` as one RFC 4180 field.
std::string CsvField(std::string_view text);
