#pragma once

#include <vector>

#include "history/change_listing.h"

class ReplacingFile;

// The table of changes as an .xlsx workbook of one sheet, committed into `file` only once it
// is complete; false with nothing replaced otherwise.
bool WriteChangeWorkbook(const std::vector<ChangeRow>& rows, ReplacingFile& file);
