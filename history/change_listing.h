#pragma once

#include <array>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

#include "history/scan_comparison.h"

enum class ChangeListingFormat { Text, Csv, Json };

// The changes of a comparison, one per line (text: "what\tNodeId\tpath\tname\tbefore → after"),
// as CSV with a header, or as one JSON array; the texts in the current language, the CSV and
// JSON kinds as keywords ("type", "access", ...).
void ListChanges(const ScanComparison& comparison, std::span<const StoredPoint> before,
                 std::span<const StoredPoint> after, ChangeListingFormat format, std::ostream& out);

// The changes as a table of 13 columns, the column names first: change keywords, then each of
// NodeId, path, display name, data type, value rank and user access after and before.
using ChangeRow = std::array<std::string, 13>;
std::vector<ChangeRow> ChangeTable(const ScanComparison& comparison,
                                   std::span<const StoredPoint> before,
                                   std::span<const StoredPoint> after);
