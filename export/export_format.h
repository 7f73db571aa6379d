#pragma once

#include <cstddef>
#include <string_view>

// What an export writes.
enum class ExportFormat { Xls, Xlsx, Csv };

// The save dialog's file types, in the order the dialog lists them.
enum class SaveFilter { Xls, Xlsx, Csv, Text, All };

// A typed .xls, .xlsx or .csv extension (any case) decides; otherwise the chosen file type does,
// and the text and all-files types keep the .xls workbook.
ExportFormat ChooseExportFormat(SaveFilter filter, std::string_view path);

// How many points fit below the header row: 65535 in an .xls sheet, 1048575 in an .xlsx sheet;
// a .csv file has no limit.
std::size_t MaxExportedPoints(ExportFormat format);
