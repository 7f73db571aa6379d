#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "export/export_format.h"

struct OPCUAItemData;
class XlsSheet;

// The export command without its dialogs: the default file name and the workbook of points.

// "UA_" + the host part of `url` + ".xls": the text after the first "opc.tcp://" (all of it
// without one), cut before its first "/" and then before its first ":".
std::string DefaultExportFileName(const std::string& url);

struct ExportResult {
    bool saved = false;
    std::size_t notExported = 0;  // points beyond the sheet's last row
};

// An .xls worksheet holds rows 0 to 65535; row 0 is the header.
constexpr std::size_t kMaxExportedPoints = 65535;

// Writes the header row and one row per point, in order, to `sheet` (a new book's sheet 0), at
// most kMaxExportedPoints of them; returns how many were written. Every pointer must be valid.
std::size_t FillPointSheet(XlsSheet& sheet, const std::vector<OPCUAItemData*>& points);

// Saves `points` in `format` at `path`, whatever its extension. The file replaces any file there
// only once it is complete on the disk; a failed export leaves the old file as it was. The
// points beyond MaxExportedPoints(format) are left out and counted.
ExportResult ExportPoints(const std::vector<OPCUAItemData*>& points, const std::u16string& path,
                          ExportFormat format = ExportFormat::Xls);
