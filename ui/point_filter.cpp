#include "ui/point_filter.h"

#include <QString>
#include <algorithm>
#include <charconv>
#include <cstring>

#include "engine/node_id_text.h"
#include "history/since_last_scan.h"
#include "ui/cell_text.h"

namespace {

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (static_cast<unsigned char>(c) & 0x80) == 0; });
}

// Appends `text` folded to `out`.
void AppendFolded(std::string_view text, std::string& out) {
    if (IsAscii(text)) {
        for (char c : text) out.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c);
        return;
    }
    const QByteArray folded =
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toCaseFolded().toUtf8();
    out.append(folded.constData(), static_cast<std::size_t>(folded.size()));
}

bool IsNumericType(std::uint16_t typeIndex) { return typeIndex <= 10; }  // Boolean ... Double
constexpr std::uint16_t kDateTimeType = 12;

int CompareText(std::string_view a, std::string_view b) {
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareBytes(const UA_ByteString& a, const UA_ByteString& b) {
    const std::size_t n = std::min(a.length, b.length);
    const int c = n == 0 ? 0 : std::memcmp(a.data, b.data, n);
    if (c != 0) return c;
    return a.length < b.length ? -1 : (a.length > b.length ? 1 : 0);
}

int CompareNodeIds(const UA_NodeId& a, const UA_NodeId& b) {
    if (a.namespaceIndex != b.namespaceIndex) return a.namespaceIndex < b.namespaceIndex ? -1 : 1;
    if (a.identifierType != b.identifierType) return a.identifierType < b.identifierType ? -1 : 1;
    switch (a.identifierType) {
        case UA_NODEIDTYPE_NUMERIC:
            if (a.identifier.numeric == b.identifier.numeric) return 0;
            return a.identifier.numeric < b.identifier.numeric ? -1 : 1;
        case UA_NODEIDTYPE_GUID:
            return std::memcmp(&a.identifier.guid, &b.identifier.guid, sizeof(UA_Guid));
        default:
            return CompareBytes(a.identifier.string, b.identifier.string);
    }
}

}  // namespace

std::string FoldCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    AppendFolded(text, out);
    return out;
}

std::vector<std::string> FilterWords(std::string_view text) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t begin = text.find_first_not_of(" \t\r\n", at);
        if (begin == std::string_view::npos) break;
        const std::size_t end = std::min(text.find_first_of(" \t\r\n", begin), text.size());
        words.push_back(FoldCase(text.substr(begin, end - begin)));
        at = end;
    }
    return words;
}

FilterTerms SplitFilterTerms(std::vector<std::string> words) {
    FilterTerms terms;
    for (std::string& word : words)
        (IsChangeTerm(word) ? terms.changes : terms.words).push_back(std::move(word));
    return terms;
}

bool MatchesChangeTerms(const std::vector<std::string>& terms, std::uint16_t kinds) {
    return std::all_of(terms.begin(), terms.end(),
                       [kinds](const std::string& term) { return MatchesChangeTerm(term, kinds); });
}

SortKey ChangeSortKey(std::uint16_t kinds) {
    if (kinds == 0) return {};
    return {0, static_cast<double>(kinds)};
}

std::string FixedFilterKey(const OPCUAItemData& record) {
    // A line break separates the parts, so no word can match across two of them.
    return FoldCase(NodeIdToText(record.nodeId)) + '\n' + FoldCase(record.displayName) + '\n' +
           FoldCase(record.Path());
}

bool MatchesFilter(const std::vector<std::string>& words, std::string_view fixedKey,
                   const OPCUAItemData& record, std::string& scratch) {
    if (words.empty()) return true;
    bool folded = false;
    for (const std::string& word : words) {
        if (fixedKey.find(word) != std::string_view::npos) continue;
        if (!folded) {
            scratch.clear();
            AppendFolded(record.dataType, scratch);
            scratch += '\n';
            AppendFolded(record.value, scratch);
            folded = true;
        }
        if (scratch.find(word) == std::string::npos) return false;
    }
    return true;
}

std::optional<double> NumberOf(std::string_view text) {
    const char* end = text.data() + text.size();
    // Whole numbers first: the library's floating-point reading is many times slower.
    long long whole = 0;
    const auto integer = std::from_chars(text.data(), end, whole);
    if (integer.ec == std::errc() && integer.ptr == end && !text.empty()) {
        return static_cast<double>(whole);
    }
    double number = 0;
    const auto result = std::from_chars(text.data(), end, number);
    if (result.ec != std::errc() || result.ptr != end || text.empty()) return std::nullopt;
    return number;
}

std::optional<double> InstantOf(std::string_view text) {
    long long parts[7] = {};
    int widths[7] = {};
    int count = 0;
    for (std::size_t i = 0; i < text.size() && count < 7;) {
        if (text[i] < '0' || text[i] > '9') {
            ++i;
            continue;
        }
        const auto result =
            std::from_chars(text.data() + i, text.data() + text.size(), parts[count]);
        widths[count] = static_cast<int>(result.ptr - (text.data() + i));
        i = static_cast<std::size_t>(result.ptr - text.data());
        ++count;
    }
    if (count < 3) return std::nullopt;
    // Year first when the first group has four digits, day first otherwise.
    const bool yearFirst = widths[0] == 4;
    const long long year = yearFirst ? parts[0] : parts[2];
    const long long month = parts[1];
    const long long day = yearFirst ? parts[2] : parts[0];
    double instant = static_cast<double>(((year * 100 + month) * 100 + day) * 1000000LL +
                                         parts[3] * 10000 + parts[4] * 100 + parts[5]);
    instant = instant * 1000 + static_cast<double>(parts[6]);
    return instant;
}

SortKey SortKeyOf(const OPCUAItemData& record, int column) {
    std::optional<double> number;
    if (column == kValueColumn && IsNumericType(record.typeIndex)) number = NumberOf(record.value);
    if (column == kValueColumn && record.typeIndex == kDateTimeType)
        number = InstantOf(record.value);
    if (column == kTimeColumn) number = InstantOf(record.time);
    if (number) return {0, *number};
    return {};
}

int CompareInColumn(const OPCUAItemData& a, const SortKey& ka, const OPCUAItemData& b,
                    const SortKey& kb, int column) {
    if (ka.rank != kb.rank) return ka.rank < kb.rank ? -1 : 1;
    if (ka.number != kb.number) return ka.number < kb.number ? -1 : 1;
    if (column == kAddressColumn) return CompareNodeIds(a.nodeId, b.nodeId);
    return CompareText(RecordText(a, column), RecordText(b, column));
}

void RowTexts::Clear() {
    bytes.clear();
    starts.clear();
}

void RowTexts::Append(std::initializer_list<std::string_view> parts) {
    starts.push_back(bytes.size());
    for (std::string_view part : parts) {
        AppendFolded(part, bytes);
        bytes += '\n';
    }
}

void RowTexts::MarkRowsContaining(std::string_view word, std::vector<char>& hit) const {
    const std::string_view all(bytes);
    std::size_t row = 0;
    for (std::size_t at = all.find(word); at != std::string_view::npos;) {
        while (row + 1 < starts.size() && starts[row + 1] <= at) ++row;
        hit[row] = 1;
        // One hit per row is enough: go on from the next row.
        if (row + 1 >= starts.size()) break;
        at = all.find(word, starts[row + 1]);
    }
}

CellSortEntry MakeCellSortEntry(const OPCUAItemData& record, const SortKey& key, int column,
                                int row) {
    const std::string& text = RecordText(record, column);
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        prefix = prefix << 8 | (i < text.size() ? static_cast<unsigned char>(text[i]) : 0u);
    }
    return {prefix, key.number, text.data(), static_cast<std::uint32_t>(text.size()),
            row,    key.rank};
}

void SortCellEntries(std::vector<CellSortEntry>& entries, bool descending) {
    // The same order as CompareInColumn, with the text's first bytes compared without leaving
    // the entry.
    const auto compare = [](const CellSortEntry& a, const CellSortEntry& b) {
        if (a.rank != b.rank) return a.rank < b.rank ? -1 : 1;
        if (a.number != b.number) return a.number < b.number ? -1 : 1;
        if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
        return CompareText({a.text, a.length}, {b.text, b.length});
    };
    std::sort(entries.begin(), entries.end(), [&](const CellSortEntry& a, const CellSortEntry& b) {
        const int c = compare(a, b);
        if (c != 0) return descending ? c > 0 : c < 0;
        return a.row < b.row;
    });
}

bool ContainsFolded(std::string_view text, std::string_view word) {
    if (word.empty()) return true;
    if (!IsAscii(text)) return FoldCase(text).find(word) != std::string::npos;
    if (text.size() < word.size()) return false;
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < word.size() && lower(text[i + k]) == word[k]) ++k;
        if (k == word.size()) return true;
    }
    return false;
}
