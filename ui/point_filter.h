#pragma once

#include "engine/opcua_item_data.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the filter box and the column sort compare: plain functions over records, no widgets.

// `text` folded for case-insensitive matching: ASCII letters lowered quickly, anything else
// through Unicode case folding.
std::string FoldCase(std::string_view text);

// The folded words of a filter text, split at white space; empty when there is nothing to match.
std::vector<std::string> FilterWords(std::string_view text);

// The folded NodeId text and display name of a record: the parts that stay as they are while
// the record is listed, so they are folded once.
std::string FixedFilterKey(const OPCUAItemData& record);

// Whether each word occurs in `fixedKey`, the record's data type or its value. `scratch` spares
// an allocation per record.
bool MatchesFilter(const std::vector<std::string>& words, std::string_view fixedKey,
                   const OPCUAItemData& record, std::string& scratch);

// Where a record sorts in a column: first by `rank` (numbers and instants before texts, so a
// column of one type sorts by value), then by `number`, then by the text of the cell.
struct SortKey {
    int rank = 2;
    double number = 0;
};

// The number a value text stands for when its type is numeric, or the instant of a DateTime.
std::optional<double> NumberOf(std::string_view text);
// Digit groups year first ("2024-08-05 14:03:09") or day first ("5-8-2024 6:3:9.007") as one
// comparable number; nothing when the text is no time.
std::optional<double> InstantOf(std::string_view text);

// The key of `record` in `column` (0 ID ... 6 DataType). ID, Address and the texts have rank 2
// and compare by `CompareInColumn` alone.
SortKey SortKeyOf(const OPCUAItemData& record, int column);

// < 0, 0, > 0 as `a` sorts before, with or after `b` in `column`, both keys made by SortKeyOf.
// NodeIds compare by namespace, identifier kind, then number or bytes.
int CompareInColumn(const OPCUAItemData& a, const SortKey& ka, const OPCUAItemData& b,
                    const SortKey& kb, int column);
