#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/export_context.h"
#include "export/point_export.h"

struct OPCUAItemData;
class ReplacingFile;

// A generic tag list, the columns most tag-import formats take: Name (the display name),
// Address (the whole NodeId text), DataType (as the server names it), Access (R, W, RW or
// empty), Units, Description, Path. .csv as the point export writes it (UTF-8 with byte-order
// mark, CRLF). Units and Description need the attributes; without them they stay empty, and
// Access comes from what the walk read. False with nothing replaced on any failure or when
// `progress` says stop.
bool WriteTagsCsv(const std::vector<OPCUAItemData*>& points, ReplacingFile& file,
                  const ExportContext& context, const ExportProgress* progress = nullptr);

// "R", "W", "RW" or "" by the CurrentRead and CurrentWrite bits of an access level.
std::string AccessText(std::uint8_t accessLevel);
