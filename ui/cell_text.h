#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/opcua_item_data.h"

// The list's columns, in order; the model, the filter, the sort and the copy all name them so.
enum Column : int {
    kIdColumn,
    kAddressColumn,
    kNameColumn,
    kValueColumn,
    kQualityColumn,
    kTimeColumn,
    kDataTypeColumn,
    kPathColumn,
    kChangeColumn,  // the window's own: what changed since the last complete scan
    kColumnCount
};
// The same in both languages, but for Change, whose header the text table gives.
inline constexpr const char* kColumnHeaders[kColumnCount] = {
    "ID", "Address", "Name", "Value", "Quality", "Time", "DataType", "Path", "Change"};

// Texts of a cell are built in 512-byte areas.
inline constexpr std::size_t kCellTextMax = 511;

// `text` cut to at most `maxBytes` bytes without splitting a UTF-8 sequence.
std::string CutUtf8(std::string_view text, std::size_t maxBytes);

// The text of column `column` for `record` shown in row `row` (0-based); empty for other columns.
std::string CellText(const OPCUAItemData& record, std::size_t row, int column);
// The record's own text in one of the columns from Name on; empty for ID and Address, which are
// made from the row and the NodeId.
const std::string& RecordText(const OPCUAItemData& record, int column);
// The same, whole: the tooltip of a cell the list may have cut.
std::string WholeCellText(const OPCUAItemData& record, std::size_t row, int column);

// The NodeId text the copy command puts on the clipboard, whole, as the list shows it.
std::string CopyText(const OPCUAItemData& record);
