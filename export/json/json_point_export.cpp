#include "export/json/json_point_export.h"

#include <open62541/types.h>

#include "engine/opcua_item_data.h"
#include "export/columns/point_columns.h"
#include "export/json/json_text.h"
#include "export/replacing_file.h"
#include "export/util/buffered_output.h"

namespace {

std::string NumberOrNull(bool known, double value) {
    if (!known) return "null";
    const std::string text = NumberText(value);
    return JsonNumber(text).empty() ? JsonString(text) : text;  // NaN and the infinities
}

std::string IntegerOrNull(bool known, long long value) {
    return known ? std::to_string(value) : std::string("null");
}

// A cell whose column has a type of its own; the rest are strings.
std::string TypedCell(const OPCUAItemData& point, std::size_t number,
                      const PointAttributes* attributes, PointColumn column,
                      const std::string& text) {
    using F = PointAttributes;
    const auto has = [&](F::Field f) { return attributes != nullptr && attributes->Has(f); };
    switch (column) {
        case PointColumn::kId:
            return std::to_string(number);
        case PointColumn::kValue:
            return JsonValue(point);
        case PointColumn::kAccessLevel:
            return IntegerOrNull(has(F::kAccessLevel),
                                 has(F::kAccessLevel) ? attributes->accessLevel : 0);
        case PointColumn::kUserAccessLevel:
            return IntegerOrNull(has(F::kUserAccessLevel),
                                 has(F::kUserAccessLevel) ? attributes->userAccessLevel : 0);
        case PointColumn::kValueRank:
            return IntegerOrNull(has(F::kValueRank),
                                 has(F::kValueRank) ? attributes->valueRank : 0);
        case PointColumn::kArrayDimensions:
            if (!has(F::kArrayDimensions)) return "null";
            return attributes->arrayDimensions.empty()
                       ? "[]"
                       : DimensionsText(attributes->arrayDimensions);
        case PointColumn::kMinimumSamplingInterval:
            return NumberOrNull(
                has(F::kMinimumSamplingInterval),
                has(F::kMinimumSamplingInterval) ? attributes->minimumSamplingInterval : 0);
        case PointColumn::kHistorizing:
            if (!has(F::kHistorizing)) return "null";
            return attributes->historizing ? "true" : "false";
        case PointColumn::kRangeLow:
            return NumberOrNull(has(F::kRange), has(F::kRange) ? attributes->rangeLow : 0);
        case PointColumn::kRangeHigh:
            return NumberOrNull(has(F::kRange), has(F::kRange) ? attributes->rangeHigh : 0);
        case PointColumn::kBrowseName:
        case PointColumn::kEngineeringUnits:
            // Not read, or the point has no such property.
            if (text.empty() &&
                !has(column == PointColumn::kBrowseName ? F::kBrowseName : F::kUnits))
                return "null";
            return JsonString(text);
        default:
            return JsonString(text);
    }
}

void WriteServer(BufferedOutput& out, const ExportSource& source) {
    const auto optional = [](const std::string& text) {
        return text.empty() ? std::string("null") : JsonString(text);
    };
    out << "  \"server\": {\n"
        << "    \"endpoint\": " << JsonString(source.endpoint) << ",\n"
        << "    \"securityPolicy\": " << optional(source.securityPolicy) << ",\n"
        << "    \"securityMode\": " << optional(source.securityMode) << ",\n"
        << "    \"applicationUri\": " << optional(source.serverApplicationUri) << ",\n"
        << "    \"certificateFingerprint\": " << optional(source.serverFingerprint) << "\n"
        << "  },\n";
}

}  // namespace

std::string JsonValue(const OPCUAItemData& point) {
    if (point.value.empty()) return "null";
    // An array keeps the text of an earlier scalar; only the text is sure then.
    if (point.isArray) return JsonString(point.value);
    switch (point.typeIndex) {
        case UA_TYPES_BOOLEAN:
            if (point.value == "1") return "true";
            if (point.value == "0") return "false";
            break;
        case UA_TYPES_SBYTE:
        case UA_TYPES_BYTE:
        case UA_TYPES_INT16:
        case UA_TYPES_UINT16:
        case UA_TYPES_INT32:
        case UA_TYPES_UINT32:
        case UA_TYPES_INT64:
        case UA_TYPES_UINT64:
        case UA_TYPES_FLOAT:
        case UA_TYPES_DOUBLE:
            if (!JsonNumber(point.value).empty()) return point.value;
            break;
        default:
            break;
    }
    return JsonString(point.value);
}

bool WritePointsJson(const std::vector<OPCUAItemData*>& points, ReplacingFile& file,
                     const ExportContext& context, const ExportProgress* progress) {
    if (!file.IsOpen()) return false;
    BufferedOutput out(file);
    const std::vector<PointColumn> columns = ExportedColumns(context.attributes != nullptr);
    std::vector<std::string> keys;
    for (const PointColumn column : columns) keys.push_back(JsonString(ColumnHeader(column)));

    out << "{\n";
    WriteServer(out, context.source);
    out << "  \"points\": [";
    bool ok = true;
    for (std::size_t i = 0; ok && i < points.size(); ++i) {
        if (!KeepGoing(progress, i, points.size())) return false;
        const PointAttributes* attributes = context.AttributesOf(i);
        const std::vector<std::string> cells = PointCells(*points[i], i + 1, attributes, columns);
        out << (i == 0 ? "\n    {" : ",\n    {");
        for (std::size_t c = 0; c < columns.size(); ++c) {
            out << (c == 0 ? "" : ", ") << keys[c] << ": "
                << TypedCell(*points[i], i + 1, attributes, columns[c], cells[c]);
        }
        out << "}";
        ok = out.Ok();
    }
    out << (points.empty() ? "]\n}\n" : "\n  ]\n}\n");
    return ok && KeepGoing(progress, points.size(), points.size()) && out.Flush() && file.Commit();
}
