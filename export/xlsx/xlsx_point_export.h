#pragma once

#include <cstddef>
#include <vector>

#include "export/export_context.h"
#include "export/point_export.h"

struct OPCUAItemData;
class ReplacingFile;

// Writes the header and the first `count` points to an .xlsx workbook (one sheet "Sheet1",
// built row by row in the library's constant-memory mode) in `file`, committed only once
// complete; false with nothing replaced on any failure or when `progress` says stop. `count` is
// at most the number of points and at most 1048575; every pointer must be valid.
bool WritePointsXlsx(const std::vector<OPCUAItemData*>& points, std::size_t count,
                     ReplacingFile& file, const ExportContext& context,
                     const ExportProgress* progress = nullptr);
