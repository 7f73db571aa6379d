#include "export/columns/point_columns.h"

#include <charconv>
#include <cmath>

#include "engine/opcua_item_data.h"
#include "export/point_row.h"
#include "export/point_row_utf8.h"

namespace {

constexpr std::string_view kHeaders[kAllColumnCount] = {"ID",
                                                        "Name",
                                                        "RegType",
                                                        "RegAddress",
                                                        "DataType",
                                                        "Description",
                                                        "Path",
                                                        "DisplayName",
                                                        "Value",
                                                        "Quality",
                                                        "Time",
                                                        "OpcUaType",
                                                        "BrowseName",
                                                        "AccessLevel",
                                                        "UserAccessLevel",
                                                        "ValueRank",
                                                        "ArrayDimensions",
                                                        "MinimumSamplingInterval",
                                                        "Historizing",
                                                        "EngineeringUnits",
                                                        "EURangeLow",
                                                        "EURangeHigh"};

std::string AttributeCell(const PointAttributes& a, PointColumn column) {
    using F = PointAttributes;
    switch (column) {
        case PointColumn::kBrowseName:
            return a.Has(F::kBrowseName) ? a.browseName : std::string();
        case PointColumn::kAccessLevel:
            return a.Has(F::kAccessLevel) ? std::to_string(a.accessLevel) : std::string();
        case PointColumn::kUserAccessLevel:
            return a.Has(F::kUserAccessLevel) ? std::to_string(a.userAccessLevel) : std::string();
        case PointColumn::kValueRank:
            return a.Has(F::kValueRank) ? std::to_string(a.valueRank) : std::string();
        case PointColumn::kArrayDimensions:
            return a.Has(F::kArrayDimensions) ? DimensionsText(a.arrayDimensions) : std::string();
        case PointColumn::kMinimumSamplingInterval:
            return a.Has(F::kMinimumSamplingInterval) ? NumberText(a.minimumSamplingInterval)
                                                      : std::string();
        case PointColumn::kHistorizing:
            return a.Has(F::kHistorizing) ? (a.historizing ? "true" : "false") : std::string();
        case PointColumn::kEngineeringUnits:
            return a.Has(F::kUnits) ? a.units : std::string();
        case PointColumn::kRangeLow:
            return a.Has(F::kRange) ? NumberText(a.rangeLow) : std::string();
        case PointColumn::kRangeHigh:
            return a.Has(F::kRange) ? NumberText(a.rangeHigh) : std::string();
        default:
            return {};
    }
}

}  // namespace

std::string_view ColumnHeader(PointColumn column) {
    return kHeaders[static_cast<std::size_t>(column)];
}

std::vector<PointColumn> ExportedColumns(bool withAttributes) {
    const std::size_t count = withAttributes ? kAllColumnCount : kBasicColumnCount;
    std::vector<PointColumn> columns;
    columns.reserve(count);
    for (std::size_t c = 0; c < count; ++c) columns.push_back(static_cast<PointColumn>(c));
    return columns;
}

std::vector<std::string> PointCells(const OPCUAItemData& point, std::size_t number,
                                    const PointAttributes* attributes,
                                    const std::vector<PointColumn>& columns) {
    const PointCellsUtf8 basic = ToUtf8Cells(MakePointRow(point, number));
    std::vector<std::string> cells;
    cells.reserve(columns.size());
    for (const PointColumn column : columns) {
        switch (column) {
            case PointColumn::kId:
            case PointColumn::kName:
            case PointColumn::kRegType:
            case PointColumn::kRegAddress:
            case PointColumn::kDataType:
            case PointColumn::kPath:
                cells.push_back(basic[static_cast<std::size_t>(column)]);
                break;
            case PointColumn::kDescription:
                cells.push_back(attributes && attributes->Has(PointAttributes::kDescription)
                                    ? attributes->description
                                    : std::string());
                break;
            case PointColumn::kDisplayName:
                cells.push_back(point.displayName);
                break;
            case PointColumn::kValue:
                cells.push_back(point.value);
                break;
            case PointColumn::kQuality:
                cells.push_back(point.quality);
                break;
            case PointColumn::kTime:
                cells.push_back(point.time);
                break;
            case PointColumn::kOpcUaType:
                cells.push_back(point.dataType);
                break;
            default:
                cells.push_back(attributes ? AttributeCell(*attributes, column) : std::string());
                break;
        }
    }
    return cells;
}

std::string NumberText(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

std::string DimensionsText(const std::vector<std::uint32_t>& dimensions) {
    if (dimensions.empty()) return {};
    std::string text = "[";
    for (std::size_t i = 0; i < dimensions.size(); ++i) {
        if (i > 0) text += ',';
        text += std::to_string(dimensions[i]);
    }
    return text + "]";
}
