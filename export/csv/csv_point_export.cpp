#include "export/csv/csv_point_export.h"

#include "export/columns/point_columns.h"
#include "export/csv/csv_writer.h"
#include "export/replacing_file.h"

bool WritePointsCsv(const std::vector<OPCUAItemData*>& points, ReplacingFile& file,
                    const ExportContext& context, const ExportProgress* progress) {
    if (!file.IsOpen()) return false;
    CsvWriter csv(file);
    if (file.WantsByteOrderMark()) csv.ByteOrderMark();
    const std::vector<PointColumn> columns = ExportedColumns(context.attributes != nullptr);
    for (const PointColumn column : columns) csv.Field(ColumnHeader(column));
    bool ok = csv.EndRecord();
    for (std::size_t i = 0; ok && i < points.size(); ++i) {
        if (!KeepGoing(progress, i, points.size())) return false;
        for (const std::string& cell :
             PointCells(*points[i], i + 1, context.AttributesOf(i), columns)) {
            csv.Field(cell);
        }
        ok = csv.EndRecord();
    }
    return ok && KeepGoing(progress, points.size(), points.size()) && csv.Flush() && file.Commit();
}
