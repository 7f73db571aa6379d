#include "export/csv/csv_point_export.h"

#include "export/csv/csv_writer.h"
#include "export/point_row_utf8.h"
#include "export/replacing_file.h"

bool WritePointsCsv(const std::vector<OPCUAItemData*>& points, ReplacingFile& file,
                    const ExportProgress* progress) {
    if (!file.IsOpen()) return false;
    CsvWriter csv(file);
    if (file.WantsByteOrderMark()) csv.ByteOrderMark();
    for (const std::string_view title : kPointHeaderUtf8) csv.Field(title);
    bool ok = csv.EndRecord();
    for (std::size_t i = 0; ok && i < points.size(); ++i) {
        if (!KeepGoing(progress, i, points.size())) return false;
        for (const std::string& cell : ToUtf8Cells(MakePointRow(*points[i], i + 1))) {
            csv.Field(cell);
        }
        ok = csv.EndRecord();
    }
    return ok && KeepGoing(progress, points.size(), points.size()) && csv.Flush() && file.Commit();
}
