#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/attributes/point_attributes.h"

struct OPCUAItemData;

// The columns of the .xlsx, .csv and JSON exports: the seven the sheets were built on, then the
// list's own (display name, value, quality, time, data type name as the server named it), then,
// when they were read, the point's attributes. The Description column takes the node's
// description once attributes were read.
enum class PointColumn {
    kId,
    kName,
    kRegType,
    kRegAddress,
    kDataType,
    kDescription,
    kPath,
    kDisplayName,
    kValue,
    kQuality,
    kTime,
    kOpcUaType,
    // attributes
    kBrowseName,
    kAccessLevel,
    kUserAccessLevel,
    kValueRank,
    kArrayDimensions,
    kMinimumSamplingInterval,
    kHistorizing,
    kEngineeringUnits,
    kRangeLow,
    kRangeHigh,
};
inline constexpr std::size_t kBasicColumnCount = 12;
inline constexpr std::size_t kAllColumnCount = 22;

// The header texts, the same in both languages as the list's are; unique, so that JSON keys
// and readers that look columns up by name find each one.
std::string_view ColumnHeader(PointColumn column);
// The columns an export writes, in order.
std::vector<PointColumn> ExportedColumns(bool withAttributes);

// The cell texts of point `number` (from 1) for `columns`; `attributes` may be null.
std::vector<std::string> PointCells(const OPCUAItemData& point, std::size_t number,
                                    const PointAttributes* attributes,
                                    const std::vector<PointColumn>& columns);

// The shortest text that reads back as `value` ("0.5", "100", "1e+300").
std::string NumberText(double value);
// "[2,3]"; empty for none.
std::string DimensionsText(const std::vector<std::uint32_t>& dimensions);
