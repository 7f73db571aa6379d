#include "history/change_texts.h"

#include <ctime>

namespace {

struct KindEntry {
    ChangeKind kind;
    TextKey text;
    const char* keyword;
};

const KindEntry kKinds[] = {
    {kChangeAdded, TextKey::ChangeAdded, "added"},
    {kChangeRemoved, TextKey::ChangeRemoved, "removed"},
    {kChangeDataType, TextKey::ChangeDataType, "type"},
    {kChangeAccess, TextKey::ChangeAccess, "access"},
    {kChangeMoved, TextKey::ChangeMoved, "moved"},
    {kChangeArrayScalar, TextKey::ChangeArrayScalar, "array"},
    {kChangeRenamed, TextKey::ChangeRenamed, "renamed"},
    {kChangeRenumbered, TextKey::ChangeRenumbered, "renumbered"},
};

}  // namespace

std::string FillText(TextKey key,
                     const std::vector<std::pair<std::string_view, std::string>>& values) {
    std::string text = Text(key);
    for (const auto& [name, value] : values) {
        const std::string mark = "{" + std::string(name) + "}";
        for (auto at = text.find(mark); at != std::string::npos;
             at = text.find(mark, at + value.size())) {
            text.replace(at, mark.size(), value);
        }
    }
    return text;
}

std::string LocalTimeText(std::int64_t millisecondsSince1970) {
    const std::time_t seconds = static_cast<std::time_t>(millisecondsSince1970 / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

std::vector<ChangeKind> EachChangeKind(std::uint16_t kinds) {
    std::vector<ChangeKind> each;
    for (const KindEntry& entry : kKinds)
        if (kinds & entry.kind) each.push_back(entry.kind);
    return each;
}

std::string ChangeKindsText(std::uint16_t kinds) {
    std::string text;
    for (const KindEntry& entry : kKinds) {
        if (!(kinds & entry.kind)) continue;
        if (!text.empty()) text += ", ";
        text += Text(entry.text);
    }
    return text;
}

std::string RowChangeText(std::uint16_t kinds) {
    if (kinds == 0) return {};
    if (kinds & (kChangeAdded | kChangeRemoved)) return ChangeKindsText(kinds);
    return Text(TextKey::ChangedWith) + ChangeKindsText(kinds);
}

std::string SinceLastScanText(std::int64_t earlierStartedMs, const ScanComparison& comparison) {
    return FillText(TextKey::SinceLastScan, {{"time", LocalTimeText(earlierStartedMs)},
                                             {"added", std::to_string(comparison.added)},
                                             {"removed", std::to_string(comparison.removed)},
                                             {"changed", std::to_string(comparison.changed)}});
}

std::string_view ChangeKeyword(ChangeKind kind) {
    for (const KindEntry& entry : kKinds)
        if (entry.kind == kind) return entry.keyword;
    return {};
}

std::optional<ChangeKind> ParseChangeKeyword(std::string_view word) {
    for (const KindEntry& entry : kKinds) {
        if (word == entry.keyword || word == Text(entry.text, 0) || word == Text(entry.text, 1))
            return entry.kind;
    }
    return std::nullopt;
}
