#pragma once

#include <vector>

#include "export/export_context.h"
#include "export/point_export.h"

struct OPCUAItemData;
class ReplacingFile;

// Writes the header and one record per point as .csv (UTF-8, CRLF, a byte-order mark unless
// `file` writes into a descriptor) into `file` and commits it; false, with nothing replaced, on
// any failure or when `progress` says stop. Every pointer must be valid.
bool WritePointsCsv(const std::vector<OPCUAItemData*>& points, ReplacingFile& file,
                    const ExportContext& context, const ExportProgress* progress = nullptr);
