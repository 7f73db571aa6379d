#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "export/export_context.h"
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
    bool cancelled = false;       // the progress hook said stop; nothing was left behind
    int error = 0;                // errno of a target that could not be written, when known
};

// Told now and then how many of `total` points are written (once with 0 at the start, once
// with `total` before the file is finished). Returning false cancels the export: no file is
// left behind and the one there before stays as it was. Called on the exporting thread.
using ExportProgress = std::function<bool(std::size_t done, std::size_t total)>;
// Points between two calls of the hook: often enough to cancel within milliseconds.
inline constexpr std::size_t kProgressEvery = 1024;

// Calls `progress` (when given) at every kProgressEvery-th point; false once it said stop.
bool KeepGoing(const ExportProgress* progress, std::size_t done, std::size_t total);

// An .xls worksheet holds rows 0 to 65535; row 0 is the header.
constexpr std::size_t kMaxExportedPoints = 65535;

// Writes the header row and one row per point, in order, to `sheet` (a new book's sheet 0), at
// most kMaxExportedPoints of them; returns how many were written. Every pointer must be valid.
// Stops early, with what it wrote, when `progress` says stop.
std::size_t FillPointSheet(XlsSheet& sheet, const std::vector<OPCUAItemData*>& points,
                           const ExportProgress* progress = nullptr);

// Saves `points` in `format` at `path`, whatever its extension. The file replaces any file there
// only once it is complete on the disk; a failed export leaves the old file as it was. The
// points beyond MaxExportedPoints(format) are left out and counted.
// `path` may name a device, a FIFO or a symbolic link (see ReplacingFile); `progress` may cancel.
// `context` (when given) names the server and carries the attributes the text formats add; the
// .xls ignores it.
ExportResult ExportPoints(const std::vector<OPCUAItemData*>& points,
                          const std::filesystem::path& path,
                          ExportFormat format = ExportFormat::Xls,
                          const ExportProgress* progress = nullptr,
                          const ExportContext* context = nullptr);
// The same into an open descriptor, standard output say, written from start to end: the text
// formats as they are made (a failure or a cancel leaves what went out), the .xls and .xlsx
// made whole in a temporary file first.
ExportResult ExportPointsTo(const std::vector<OPCUAItemData*>& points, int fd, ExportFormat format,
                            const ExportProgress* progress = nullptr,
                            const ExportContext* context = nullptr);
