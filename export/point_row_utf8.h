#pragma once

#include <array>
#include <string>
#include <string_view>

#include "export/point_row.h"

// The columns of an exported point as UTF-8, for the text-based formats: the six the .xls
// has, then the point's path, which only these formats carry. The narrow cells (ID, RegType,
// DataType) are read as the .xls reader reads their 8-bit cells, byte for character, so every
// format shows the same texts.
using PointCellsUtf8 = std::array<std::string, 7>;

inline constexpr std::array<std::string_view, 7> kPointHeaderUtf8 = {
    "ID", "Name", "RegType", "RegAddress", "DataType", "Description", "Path"};

PointCellsUtf8 ToUtf8Cells(const PointRow& row);

// Each byte as the character of that number (ISO 8859-1).
std::string Latin1ToUtf8(std::string_view bytes);
