#include "export/point_export.h"

#include <algorithm>
#include <cerrno>

#include "export/csv/csv_point_export.h"
#include "export/json/json_point_export.h"
#include "export/point_row.h"
#include "export/replacing_file.h"
#include "export/tags/tags_csv_export.h"
#include "export/telegraf/telegraf_export.h"
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

bool KeepGoing(const ExportProgress* progress, std::size_t done, std::size_t total) {
    if (progress == nullptr || !*progress) return true;
    if (done % kProgressEvery != 0 && done != total) return true;
    return (*progress)(done, total);
}

std::size_t FillPointSheet(XlsSheet& sheet, const std::vector<OPCUAItemData*>& points,
                           const ExportProgress* progress) {
    for (std::uint32_t column = 0; column < std::size(kHeader); ++column) {
        if (XlsCell* cell = sheet.Cell(0, column)) cell->SetWString(kHeader[column]);
    }
    const std::size_t count = std::min(points.size(), kMaxExportedPoints);
    for (std::size_t i = 1; i <= count; ++i) {
        if (!KeepGoing(progress, i - 1, count)) return i - 1;
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

namespace {

// The formats whose bytes are only ever appended: the .xls and .xlsx are placed by offset.
bool WrittenInOrder(ExportFormat format) {
    return format != ExportFormat::Xls && format != ExportFormat::Xlsx;
}

// One export into `file`, whichever way it was opened.
ExportResult ExportInto(const std::vector<OPCUAItemData*>& points, ReplacingFile file,
                        ExportFormat format, const ExportProgress* progress,
                        const ExportContext* given) {
    const ExportContext none;
    const ExportContext& context = given != nullptr ? *given : none;
    const std::size_t count = std::min(points.size(), MaxExportedPoints(format));
    ExportResult result{false, points.size() - count, false, 0};
    // A FIFO without a reader, a directory, a socket: said before any work is done.
    if (!file.IsOpen()) {
        result.error = file.Error();
        return result;
    }
    // Told at the end whether the hook stopped it, so a cancel is not taken for a failure.
    bool stopped = false;
    const ExportProgress watch = [&](std::size_t done, std::size_t total) {
        stopped = progress && *progress && !(*progress)(done, total);
        return !stopped;
    };
    switch (format) {
        case ExportFormat::Xlsx:
            result.saved = WritePointsXlsx(points, count, file, context, &watch);
            result.error = result.saved ? 0 : file.Error();
            break;
        case ExportFormat::Csv:
            result.saved = WritePointsCsv(points, file, context, &watch);
            result.error = result.saved ? 0 : file.Error();
            break;
        case ExportFormat::Json:
            result.saved = WritePointsJson(points, file, context, &watch);
            result.error = result.saved ? 0 : file.Error();
            break;
        case ExportFormat::TagsCsv:
            result.saved = WriteTagsCsv(points, file, context, &watch);
            result.error = result.saved ? 0 : file.Error();
            break;
        case ExportFormat::Telegraf:
            result.saved = WriteTelegrafConfig(points, file, context, &watch);
            result.error = result.saved ? 0 : file.Error();
            break;
        case ExportFormat::Xls: {
            XlsBook book;
            book.New();
            FillPointSheet(*book.GetSheet(0), points, &watch);
            result.saved = !stopped && watch(count, count) && book.SaveInto(std::move(file));
            break;
        }
    }
    result.cancelled = stopped;
    if (stopped) result.saved = false;
    return result;
}

}  // namespace

ExportResult ExportPoints(const std::vector<OPCUAItemData*>& points,
                          const std::filesystem::path& path, ExportFormat format,
                          const ExportProgress* progress, const ExportContext* context) {
    // The name's own bytes, as open() takes them.
    const std::string& name = path.native();
    if (name.find('\0') != std::string::npos) {
        return {false, points.size() - std::min(points.size(), MaxExportedPoints(format)), false,
                EINVAL};
    }
    return ExportInto(points, ReplacingFile::Begin(name), format, progress, context);
}

ExportResult ExportPointsTo(const std::vector<OPCUAItemData*>& points, int fd, ExportFormat format,
                            const ExportProgress* progress, const ExportContext* context) {
    // Text goes out as it is made; a workbook is laid out in a file first, then written out.
    ReplacingFile file =
        WrittenInOrder(format) ? ReplacingFile::Stream(fd) : ReplacingFile::Into(fd);
    return ExportInto(points, std::move(file), format, progress, context);
}
