#pragma once

#include <string>
#include <vector>

struct OPCUAItemData;

// Writes the header and one record per point to a .csv file (UTF-8 with byte-order mark, CRLF)
// that replaces `target` (UTF-8 path) only once complete; false with `target` untouched on any
// failure. Every pointer must be valid.
bool WritePointsCsv(const std::vector<OPCUAItemData*>& points, const std::string& target);
