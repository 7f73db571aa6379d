#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct OPCUAItemData;

// Writes the header and the first `count` points to an .xlsx workbook (one sheet "Sheet1",
// built row by row in the library's constant-memory mode) that replaces `target` (UTF-8 path)
// only once complete; false with `target` untouched on any failure. `count` is at most the
// number of points and at most 1048575; every pointer must be valid.
bool WritePointsXlsx(const std::vector<OPCUAItemData*>& points, std::size_t count,
                     const std::string& target);
