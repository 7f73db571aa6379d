#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "history/scan_comparison.h"
#include "texts/text_table.h"

// The texts that tell a comparison, in the current language.

// `key`'s text with each "{name}" replaced by its value.
std::string FillText(TextKey key,
                     const std::vector<std::pair<std::string_view, std::string>>& values);

// "2026-12-03 14:10" in local time.
std::string LocalTimeText(std::int64_t millisecondsSince1970);

// The kinds, each by its name, in the order of ChangeKind: "data type, access".
std::string ChangeKindsText(std::uint16_t kinds);

// What one row's change column says: "added", "removed", "changed: data type, access", or
// nothing when the point is as it was.
std::string RowChangeText(std::uint16_t kinds);

// "since last scan (2026-12-03 14:10): 12 added, 3 removed, 5 changed", the time that of the
// earlier scan.
std::string SinceLastScanText(std::int64_t earlierStartedMs, const ScanComparison& comparison);

// The words a filter or a file uses for one kind ("added", "type", ...), in either language.
std::string_view ChangeKeyword(ChangeKind kind);
// The kind a word names, none when it names none.
std::optional<ChangeKind> ParseChangeKeyword(std::string_view word);
// The kinds one by one, in order.
std::vector<ChangeKind> EachChangeKind(std::uint16_t kinds);
