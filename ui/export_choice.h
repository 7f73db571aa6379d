#pragma once

#include <optional>
#include <string>
#include <vector>

#include "export/export_format.h"

// What the window's save dialog offers and how its answers are read; no widgets, so the rules
// are tested without a window.

// The file types by purpose: workbooks, tables (the point list, a tag list), the JSON document,
// the data collector's configuration, then any other name.
std::vector<SaveFilter> DialogFilters();
// Their texts in the current language, joined as the dialog takes them (";;").
std::string DialogFilterText();
// The type at `index` of DialogFilters(); the first for an index out of range.
SaveFilter DialogFilterAt(int index);
// The index of `filter` in DialogFilters().
int DialogIndexOf(SaveFilter filter);

// A stable name to remember a file type by ("xls", "tags-csv", ...), and back; none for a name
// no version wrote.
std::string FilterName(SaveFilter filter);
std::optional<SaveFilter> FilterFromName(const std::string& name);

// The default file name for `url` with the extension of `filter`: UA_<host>.json for JSON, and
// the .xls name for the types without an extension of their own.
std::string DefaultNameFor(const std::string& url, SaveFilter filter);
