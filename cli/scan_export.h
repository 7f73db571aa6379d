#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "engine/connection_settings.h"
#include "engine/server_trust.h"
#include "export/point_export.h"

// One scan of a server, exported to a file, without any window: connect, walk the whole address
// space into the point list, take every point out, export them.
struct ScanExportResult {
    ConnectOutcome outcome = ConnectOutcome::UnknownKind;
    ConnectDetail detail;    // what a failed connect found out about its cause
    std::size_t points = 0;  // points the walk found
    ExportFormat format = ExportFormat::Xls;
    ExportResult exported;
    std::optional<ServerTrust> serverTrust;  // how the server's certificate was judged
};

// The format follows the extension of `path` (.xls, .xlsx, .csv); anything else is .xls, as in
// the window. Nothing is exported when the connect fails.
ScanExportResult ScanAndExport(const ConnectionSettings& settings, const std::string& path);
