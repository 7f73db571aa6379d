#pragma once

#include <cstddef>
#include <string_view>

// What an export writes: the point list as a workbook, a table or a document, or what other
// tools take from it (a tag list, a data collector's configuration).
enum class ExportFormat { Xls, Xlsx, Csv, Json, TagsCsv, Telegraf };

// The save dialog's file types. New ones go at the end so that the numbers of the older ones
// stay; the dialog may list them in another order.
enum class SaveFilter { Xls, Xlsx, Csv, Text, All, Json, Telegraf, TagsCsv };
inline constexpr int kSaveFilterCount = 8;

// A typed .xls, .xlsx, .csv, .json or .toml extension (any case) decides, except that a tag
// list stays one in a .csv file; otherwise the chosen file type does, and the text and
// all-files types keep the .xls workbook.
ExportFormat ChooseExportFormat(SaveFilter filter, std::string_view path);

// How many points fit below the header row: 65535 in an .xls sheet, 1048575 in an .xlsx sheet;
// the text formats have no limit.
std::size_t MaxExportedPoints(ExportFormat format);

// Whether `format` has columns for the points' attributes: .xlsx, .csv, JSON and the tag list.
bool CarriesAttributes(ExportFormat format);
