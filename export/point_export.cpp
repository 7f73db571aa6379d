#include "export/point_export.h"

#include <algorithm>

#include "export/csv/csv_point_export.h"
#include "export/point_row.h"
#include "export/util/utf_convert.h"
#include "export/xls/xls_book.h"
#include "export/xlsx/xlsx_point_export.h"

namespace {

const char* const kScheme = "opc.tcp://";
const char16_t* const kHeader[] = {u"ID",         u"Name",     u"RegType",
                                   u"RegAddress", u"DataType", u"Description"};

}  // namespace

std::string DefaultExportFileName(const std::string& url) {
    std::string host = url;
    if (const auto scheme = host.find(kScheme); scheme != std::string::npos) {
        host = host.substr(scheme + std::char_traits<char>::length(kScheme));
    }
    host = host.substr(0, host.find('/'));
    host = host.substr(0, host.find(':'));
    return "UA_" + host + ".xls";
}

std::size_t FillPointSheet(XlsSheet& sheet, const std::vector<OPCUAItemData*>& points) {
    for (std::uint32_t column = 0; column < std::size(kHeader); ++column) {
        if (XlsCell* cell = sheet.Cell(0, column)) cell->SetWString(kHeader[column]);
    }
    const std::size_t count = std::min(points.size(), kMaxExportedPoints);
    for (std::size_t i = 1; i <= count; ++i) {
        const PointRow row = MakePointRow(*points[i - 1], i);
        const auto r = static_cast<std::uint32_t>(i);
        sheet.Cell(r, 0)->SetString(row.id.c_str());
        sheet.Cell(r, 1)->SetWString(row.name.c_str());
        sheet.Cell(r, 2)->SetString(row.regType.c_str());
        sheet.Cell(r, 3)->SetWString(row.regAddress.c_str());
        sheet.Cell(r, 4)->SetString(row.dataType.c_str());
        sheet.Cell(r, 5)->SetString("");  // Description
        sheet.Cell(r, 6);                 // reached but left empty: the grid is 7 columns wide
    }
    return count;
}

ExportResult ExportPoints(const std::vector<OPCUAItemData*>& points, const std::u16string& path,
                          ExportFormat format) {
    const std::size_t count = std::min(points.size(), MaxExportedPoints(format));
    const ExportResult capped{false, points.size() - count};
    switch (format) {
        case ExportFormat::Xlsx:
            if (path.find(u'\0') != std::u16string::npos) return capped;
            return {WritePointsXlsx(points, count, Utf16ToUtf8(path)), capped.notExported};
        case ExportFormat::Csv:
            if (path.find(u'\0') != std::u16string::npos) return capped;
            return {WritePointsCsv(points, Utf16ToUtf8(path)), capped.notExported};
        case ExportFormat::Xls:
            break;
    }
    XlsBook book;
    book.New();
    FillPointSheet(*book.GetSheet(0), points);
    return {book.SaveAs(path), capped.notExported};
}
