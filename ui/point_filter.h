#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/opcua_item_data.h"

// What the filter box and the column sort compare: plain functions over records, no widgets.

// `text` folded for case-insensitive matching: ASCII letters lowered quickly, anything else
// through Unicode case folding.
std::string FoldCase(std::string_view text);

// The folded words of a filter text, split at white space; empty when there is nothing to match.
std::vector<std::string> FilterWords(std::string_view text);

// Where a record sorts in a column: first by `rank` (numbers and instants before texts, so a
// column of one type sorts by value), then by `number`, then by the text of the cell.
struct SortKey {
    int rank = 2;
    double number = 0;
};

// A filter's folded words apart: those looked for in a row's texts, and its change terms
// ("change:added", "变化:改名"), which a row's kinds of change since the last scan must match.
struct FilterTerms {
    std::vector<std::string> words;
    std::vector<std::string> changes;
    bool Empty() const { return words.empty() && changes.empty(); }
};
FilterTerms SplitFilterTerms(std::vector<std::string> words);

// Whether a row with these ChangeKind bits matches every change term; a row that did not change,
// or of a scan held against nothing, matches none.
bool MatchesChangeTerms(const std::vector<std::string>& terms, std::uint16_t kinds);

// The key of a row in the Change column: changed rows before the rest, by their kinds.
SortKey ChangeSortKey(std::uint16_t kinds);

// The folded NodeId text, display name and path of a record: the parts that stay as they are
// while the record is listed, so they are folded once.
std::string FixedFilterKey(const OPCUAItemData& record);

// Whether each word occurs in `fixedKey`, the record's data type or its value. `scratch` spares
// an allocation per record.
bool MatchesFilter(const std::vector<std::string>& words, std::string_view fixedKey,
                   const OPCUAItemData& record, std::string& scratch);

// The number a value text stands for when its type is numeric, or the instant of a DateTime.
std::optional<double> NumberOf(std::string_view text);
// Digit groups year first ("2024-08-05 14:03:09") or day first ("5-8-2024 6:3:9.007") as one
// comparable number; nothing when the text is no time.
std::optional<double> InstantOf(std::string_view text);

// The key of `record` in `column` (a Column). ID, Address and the texts have rank 2
// and compare by `CompareInColumn` alone.
SortKey SortKeyOf(const OPCUAItemData& record, int column);

// < 0, 0, > 0 as `a` sorts before, with or after `b` in `column`, both keys made by SortKeyOf.
// NodeIds compare by namespace, identifier kind, then number or bytes.
int CompareInColumn(const OPCUAItemData& a, const SortKey& ka, const OPCUAItemData& b,
                    const SortKey& kb, int column);

// Folded texts of many rows in one buffer, so that a word is looked for in one pass over
// contiguous memory instead of row by row.
class RowTexts {
public:
    void Clear();
    // Appends the next row: `parts` folded, each followed by a line break (no word holds one, so
    // no match spans two parts).
    void Append(std::initializer_list<std::string_view> parts);
    std::size_t Rows() const { return starts.size(); }
    // Sets hit[i] for each row i whose texts contain `word`; `hit` has Rows() elements.
    void MarkRowsContaining(std::string_view word, std::vector<char>& hit) const;

private:
    std::string bytes;
    std::vector<std::size_t> starts;
};

// Sorts `rows` by the cells of `column` (Name onwards) as CompareInColumn orders them, equal cells
// in ascending row order both ways. `record` gives a row's record, `key` its SortKeyOf.
template <class RecordOf, class KeyOf>
void SortByCells(std::vector<int>& rows, int column, bool descending, RecordOf record, KeyOf key);

// Whether `text` contains `word` (already folded), ignoring case.
bool ContainsFolded(std::string_view text, std::string_view word);

// ---- implementation of the template
struct CellSortEntry {
    std::uint64_t prefix;  // the text's first 8 bytes, big-endian, zero-padded
    double number;
    const char* text;
    std::uint32_t length;
    std::int32_t row;
    std::int32_t rank;
};
CellSortEntry MakeCellSortEntry(const OPCUAItemData& record, const SortKey& key, int column,
                                int row);
void SortCellEntries(std::vector<CellSortEntry>& entries, bool descending);

template <class RecordOf, class KeyOf>
void SortByCells(std::vector<int>& rows, int column, bool descending, RecordOf record, KeyOf key) {
    std::vector<CellSortEntry> entries;
    entries.reserve(rows.size());
    for (int row : rows) entries.push_back(MakeCellSortEntry(record(row), key(row), column, row));
    SortCellEntries(entries, descending);
    for (std::size_t i = 0; i < entries.size(); ++i) rows[i] = entries[i].row;
}
