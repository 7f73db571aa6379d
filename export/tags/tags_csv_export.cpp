#include "export/tags/tags_csv_export.h"

#include <open62541/types.h>

#include <string_view>

#include "engine/node_id_text.h"
#include "engine/opcua_item_data.h"
#include "export/csv/csv_writer.h"
#include "export/replacing_file.h"

namespace {

constexpr std::string_view kHeader[] = {"Name",  "Address",     "DataType", "Access",
                                        "Units", "Description", "Path"};

std::string Access(const OPCUAItemData& point, const PointAttributes* attributes) {
    if (attributes != nullptr && attributes->Has(PointAttributes::kUserAccessLevel))
        return AccessText(attributes->userAccessLevel);
    return point.accessKnown ? AccessText(point.userAccessLevel) : std::string();
}

}  // namespace

std::string AccessText(std::uint8_t accessLevel) {
    std::string text;
    if (accessLevel & UA_ACCESSLEVELMASK_READ) text += 'R';
    if (accessLevel & UA_ACCESSLEVELMASK_WRITE) text += 'W';
    return text;
}

bool WriteTagsCsv(const std::vector<OPCUAItemData*>& points, ReplacingFile& file,
                  const ExportContext& context, const ExportProgress* progress) {
    if (!file.IsOpen()) return false;
    CsvWriter csv(file);
    if (file.WantsByteOrderMark()) csv.ByteOrderMark();
    for (const std::string_view title : kHeader) csv.Field(title);
    bool ok = csv.EndRecord();
    for (std::size_t i = 0; ok && i < points.size(); ++i) {
        if (!KeepGoing(progress, i, points.size())) return false;
        const OPCUAItemData& point = *points[i];
        const PointAttributes* attributes = context.AttributesOf(i);
        const bool read = attributes != nullptr;
        csv.Field(point.displayName);
        csv.Field(NodeIdToText(point.nodeId));
        csv.Field(point.dataType);
        csv.Field(Access(point, attributes));
        csv.Field(read && attributes->Has(PointAttributes::kUnits) ? attributes->units : "");
        csv.Field(read && attributes->Has(PointAttributes::kDescription) ? attributes->description
                                                                         : "");
        csv.Field(point.Path());
        ok = csv.EndRecord();
    }
    return ok && KeepGoing(progress, points.size(), points.size()) && csv.Flush() && file.Commit();
}
