#include "discovery/report/discovery_export.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <memory>
#include <string>

#include "discovery/report/discovery_rows.h"
#include "discovery/report/json_report.h"
#include "export/csv/csv_writer.h"
#include "export/replacing_file.h"

namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string CsvRecord(const DiscoveryRow& row) {
    std::string record;
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (i > 0) record += ',';
        record += CsvField(row[i]);
    }
    return record + "\r\n";
}

struct WorkbookCloser {
    void operator()(lxw_workbook* book) const { workbook_close(book); }
};

bool WriteRow(lxw_worksheet* sheet, lxw_row_t at, const DiscoveryRow& row) {
    for (lxw_col_t c = 0; c < row.size(); ++c) {
        if (row[c].empty()) continue;
        if (worksheet_write_string(sheet, at, c, row[c].c_str(), nullptr) != LXW_NO_ERROR)
            return false;
    }
    return true;
}

bool WriteXlsx(const DiscoveryResult& result, ReplacingFile& file, int lang) {
    std::unique_ptr<lxw_workbook, WorkbookCloser> book(workbook_new(file.TemporaryPath().c_str()));
    if (!book) return false;
    lxw_worksheet* sheet = workbook_add_worksheet(book.get(), "Servers");
    if (sheet == nullptr || !WriteRow(sheet, 0, DiscoveryHeader(lang))) return false;
    lxw_row_t at = 1;
    for (const DiscoveryRow& row : DiscoveryRows(result, lang)) {
        if (!WriteRow(sheet, at++, row)) return false;
    }
    if (workbook_close(book.release()) != LXW_NO_ERROR) return false;
    return file.Commit();
}

}  // namespace

std::optional<DiscoveryFormat> DiscoveryFormatNamed(std::string_view name) {
    const std::string lower = Lower(name);
    if (lower == "csv") return DiscoveryFormat::Csv;
    if (lower == "json") return DiscoveryFormat::Json;
    if (lower == "xlsx") return DiscoveryFormat::Xlsx;
    return std::nullopt;
}

DiscoveryFormat DiscoveryFormatOfPath(std::string_view path) {
    const auto dot = path.rfind('.');
    if (dot == std::string_view::npos) return DiscoveryFormat::Csv;
    return DiscoveryFormatNamed(path.substr(dot + 1)).value_or(DiscoveryFormat::Csv);
}

std::string DiscoveryText(const DiscoveryResult& result, DiscoveryFormat format, int lang) {
    if (format == DiscoveryFormat::Json) return DiscoveryJson(result, lang);
    std::string text = CsvRecord(DiscoveryHeader(lang));
    for (const DiscoveryRow& row : DiscoveryRows(result, lang)) text += CsvRecord(row);
    return text;
}

bool WriteDiscovery(const DiscoveryResult& result, DiscoveryFormat format, ReplacingFile& file,
                    int lang) {
    if (!file.IsOpen()) return false;
    switch (format) {
        case DiscoveryFormat::Csv:
        case DiscoveryFormat::Json: {
            // In a file the byte-order mark lets spreadsheet programs take the .csv as UTF-8.
            const std::string text = (format == DiscoveryFormat::Csv ? "\xEF\xBB\xBF" : "") +
                                     DiscoveryText(result, format, lang);
            return file.Append(text.data(), text.size()) && file.Commit();
        }
        case DiscoveryFormat::Xlsx:
            return WriteXlsx(result, file, lang);
    }
    return false;
}
