#include "export/csv/csv_writer.h"

#include "export/replacing_file.h"

namespace {

// One pass over the text; most fields need no quotes.
bool NeedsQuotes(std::string_view text) {
    for (const char c : text) {
        if (c == ',' || c == '"' || c == '\r' || c == '\n') return true;
    }
    return false;
}

void AppendField(std::string& out, std::string_view text) {
    if (!NeedsQuotes(text)) {
        out.append(text);
        return;
    }
    out.push_back('"');
    for (const char c : text) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

}  // namespace

std::string CsvField(std::string_view text) {
    std::string field;
    AppendField(field, text);
    return field;
}

void CsvWriter::ByteOrderMark() { buffer_.append("\xEF\xBB\xBF"); }

void CsvWriter::Field(std::string_view text) {
    if (!firstField_) buffer_.push_back(',');
    firstField_ = false;
    AppendField(buffer_, text);
}

bool CsvWriter::EndRecord() {
    buffer_.append("\r\n");
    firstField_ = true;
    if (buffer_.size() >= kFlushAt) return Flush();
    return ok_;
}

bool CsvWriter::Flush() {
    if (ok_ && !buffer_.empty()) ok_ = file_.Append(buffer_.data(), buffer_.size());
    buffer_.clear();
    return ok_;
}
