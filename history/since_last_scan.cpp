#include "history/since_last_scan.h"

#include "history/change_texts.h"

std::optional<SinceLastScan> CompareWithLastScan(InventoryStore& store, const std::string& url,
                                                 std::span<const StoredPoint> points) {
    std::optional<ScanSummary> base;
    for (const ScanSummary& scan : store.Scans(url))
        if (scan.facts.complete) base = scan;
    if (!base) return std::nullopt;
    const auto before = store.Points(base->id);
    if (!before) return std::nullopt;
    SinceLastScan result;
    result.baseScanId = base->id;
    result.baseStartedMs = base->facts.startedMs;
    result.comparison = CompareScans(*before, points);
    for (const PointChange& change : result.comparison.changes) {
        if (change.after < 0) continue;
        result.rowKinds.emplace(points[static_cast<std::size_t>(change.after)].nodeId,
                                change.kinds);
    }
    return result;
}

bool MatchesChangeTerm(std::string_view term, std::uint16_t kinds) {
    constexpr std::string_view kPrefix = "change:";
    if (term.substr(0, kPrefix.size()) != kPrefix) return false;
    const std::string_view word = term.substr(kPrefix.size());
    if (word == "changed") return (kinds & ~(kChangeAdded | kChangeRemoved)) != 0;
    const auto kind = ParseChangeKeyword(word);
    return kind && (kinds & *kind) != 0;
}
