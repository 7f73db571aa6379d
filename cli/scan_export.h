#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/attributes/property_browse.h"
#include "engine/connection_settings.h"
#include "engine/opcua_item_data.h"
#include "engine/server_trust.h"
#include "export/point_export.h"

// One scan of a server, exported to a file, without any window: connect, walk the whole address
// space into the point list, take every point out, export them.
struct ScanExportResult {
    ConnectOutcome outcome = ConnectOutcome::UnknownKind;
    ConnectDetail detail;      // what a failed connect found out about its cause
    std::size_t points = 0;    // points the walk found
    bool sessionLost = false;  // the walk was cut short: the points are those found until then
    ExportFormat format = ExportFormat::Xls;
    ExportResult exported;
    std::optional<ServerTrust> serverTrust;  // how the server's certificate was judged
    bool unsecured = false;                  // security was left open and the server offers none
    // With attributes asked for: the requests that read them, and whether all came back.
    AttributeReadCounts attributeCounts;
    bool attributesComplete = false;
};

// Where the points go: a file, or an open descriptor (standard output) written from start to
// end. Without `format` it follows the extension of `path` (.xls, .xlsx, .csv, anything else
// .xls as in the window); a descriptor without one gets .csv.
struct ExportTarget {
    std::filesystem::path path;  // as the user typed it: its bytes are the file's name
    std::optional<ExportFormat> format;
    int fd = -1;
    bool attributes = false;  // read every point's attributes for the export
};

// Shown every record once the walk has ended (complete: it went to its end), before the export.
using WalkedHook = std::function<void(const std::vector<OPCUAItemData*>& records, bool complete,
                                      const std::optional<ServerTrust>& serverTrust)>;

// Nothing is exported when the connect fails; a walk cut short still exports what it found.
ScanExportResult ScanAndExport(const ConnectionSettings& settings, const ExportTarget& target,
                               const WalkedHook& walked = {});

// The format `target` is written in.
ExportFormat TargetFormat(const ExportTarget& target);
// Whether the export reads the points' attributes: when asked and the format has columns for
// them, and always for a tag list, whose units, description and access come from them.
bool ReadsAttributes(const ExportTarget& target);
