#include "cli/inventory/inventory_table.h"

#include <xlsxwriter.h>

#include <array>
#include <memory>

#include "export/csv/csv_writer.h"
#include "export/json/json_text.h"
#include "export/replacing_file.h"

namespace {

constexpr std::size_t kColumns = 7;

std::array<std::string, kColumns> Cells(const std::string& url, const StoredPoint& point) {
    return {url,
            point.nodeId,
            point.path,
            point.displayName,
            point.dataType,
            point.valueRank == -1 ? "scalar" : "array",
            point.userAccess < 0 ? std::string() : std::to_string(point.userAccess)};
}

bool WriteCsv(const std::vector<ServerPoints>& servers, ReplacingFile& file) {
    CsvWriter csv(file);
    csv.ByteOrderMark();
    for (const std::string& name : InventoryColumns()) csv.Field(name);
    if (!csv.EndRecord()) return false;
    for (const ServerPoints& server : servers) {
        for (const StoredPoint& point : *server.points) {
            for (const std::string& cell : Cells(server.url, point)) csv.Field(cell);
            if (!csv.EndRecord()) return false;
        }
    }
    return csv.Flush() && file.Commit();
}

bool WriteJson(const std::vector<ServerPoints>& servers, ReplacingFile& file) {
    std::string out = "[";
    bool first = true;
    for (const ServerPoints& server : servers) {
        for (const StoredPoint& point : *server.points) {
            out += first ? "\n" : ",\n";
            first = false;
            out += "{\"server\":" + JsonString(server.url) +
                   ",\"nodeId\":" + JsonString(point.nodeId) +
                   ",\"path\":" + JsonString(point.path) +
                   ",\"displayName\":" + JsonString(point.displayName) +
                   ",\"dataType\":" + JsonString(point.dataType) +
                   ",\"array\":" + (point.valueRank == -1 ? "false" : "true") + ",\"userAccess\":" +
                   (point.userAccess < 0 ? std::string("null") : std::to_string(point.userAccess)) +
                   "}";
            if (out.size() > (1 << 20)) {
                if (!file.Append(out.data(), out.size())) return false;
                out.clear();
            }
        }
    }
    out += "\n]\n";
    return file.Append(out.data(), out.size()) && file.Commit();
}

struct WorkbookCloser {
    void operator()(lxw_workbook* book) const { workbook_close(book); }
};

bool WriteXlsx(const std::vector<ServerPoints>& servers, ReplacingFile& file) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    std::unique_ptr<lxw_workbook, WorkbookCloser> book(
        workbook_new_opt(file.TemporaryPath().c_str(), &options));
    if (!book) return false;
    lxw_worksheet* sheet = workbook_add_worksheet(book.get(), "Sheet1");
    if (sheet == nullptr) return false;
    lxw_row_t row = 0;
    auto put = [&](const auto& cells) {
        lxw_col_t column = 0;
        for (const std::string& text : cells) {
            if (!text.empty() &&
                worksheet_write_string(sheet, row, column, text.c_str(), nullptr) != LXW_NO_ERROR)
                return false;
            ++column;
        }
        ++row;
        return true;
    };
    if (!put(InventoryColumns())) return false;
    for (const ServerPoints& server : servers) {
        for (const StoredPoint& point : *server.points) {
            if (row >= LXW_ROW_MAX || !put(Cells(server.url, point))) return false;
        }
    }
    if (workbook_close(book.release()) != LXW_NO_ERROR) return false;
    return file.Commit();
}

}  // namespace

const std::vector<std::string>& InventoryColumns() {
    static const std::vector<std::string> columns = {
        "Server", "NodeId", "Path", "DisplayName", "DataType", "ValueRank", "UserAccessLevel"};
    return columns;
}

bool WriteInventoryTable(const std::vector<ServerPoints>& servers, TableFormat format,
                         ReplacingFile& file) {
    if (!file.IsOpen()) return false;
    switch (format) {
        case TableFormat::Csv:
            return WriteCsv(servers, file);
        case TableFormat::Json:
            return WriteJson(servers, file);
        case TableFormat::Xlsx:
            return WriteXlsx(servers, file);
    }
    return false;
}
