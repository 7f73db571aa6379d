#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "export/export_format.h"

// The save dialog's file types in the current language, in SaveFilter order.
std::vector<std::string> ExportFilterTexts();

// The message for an export that left `notExported` points out: the sheet of `format` was full.
std::string CappedExportText(ExportFormat format, std::size_t notExported);
