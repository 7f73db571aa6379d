#pragma once

#include <string>
#include <vector>

#include "export/export_context.h"
#include "export/point_export.h"

struct OPCUAItemData;
class ReplacingFile;

// The points as one JSON document (UTF-8, no byte-order mark): the server's identity under
// "server", then "points", one object per point holding every column of the other text
// formats by its header, typed: numbers and booleans as such, texts as strings, what was never
// read as null. Committed only once complete; false with nothing replaced on any failure or
// when `progress` says stop. Every pointer must be valid.
bool WritePointsJson(const std::vector<OPCUAItemData*>& points, ReplacingFile& file,
                     const ExportContext& context, const ExportProgress* progress = nullptr);

// The value of `point` as JSON: by its type, a number, true or false, a string, or null when
// nothing was read yet.
std::string JsonValue(const OPCUAItemData& point);
