#include "history/since_last_scan.h"

#include "history/change_texts.h"

namespace {

// The prefixes of a change term, as FilterWords leaves them (ASCII lowered).
constexpr std::string_view kChangePrefixes[] = {"change:", "变化:", "变化："};

std::optional<std::string_view> ChangeWord(std::string_view term) {
    for (std::string_view prefix : kChangePrefixes)
        if (term.substr(0, prefix.size()) == prefix) return term.substr(prefix.size());
    return std::nullopt;
}

}  // namespace

ComparisonBase LastCompleteScan(std::span<const ScanSummary> scans) {
    ComparisonBase base;
    for (const ScanSummary& scan : scans) {
        if (scan.facts.complete) {
            base.scan = scan;
            base.cutShortAfter = 0;
        } else {
            ++base.cutShortAfter;
        }
    }
    return base;
}

std::optional<SinceLastScan> CompareWithLastScan(InventoryStore& store, const std::string& url,
                                                 std::span<const StoredPoint> points) {
    const ComparisonBase chosen = LastCompleteScan(store.Scans(url));
    const std::optional<ScanSummary>& base = chosen.scan;
    if (!base) return std::nullopt;
    const auto before = store.Points(base->id);
    if (!before) return std::nullopt;
    SinceLastScan result;
    result.baseScanId = base->id;
    result.baseStartedMs = base->facts.startedMs;
    result.comparison = CompareScans(*before, points);
    result.cutShortSince = chosen.cutShortAfter;
    result.pointKinds.assign(points.size(), 0);
    for (const PointChange& change : result.comparison.changes) {
        if (change.after >= 0)
            result.pointKinds[static_cast<std::size_t>(change.after)] = change.kinds;
    }
    return result;
}

bool IsChangeTerm(std::string_view term) { return ChangeWord(term).has_value(); }

bool MatchesChangeTerm(std::string_view term, std::uint16_t kinds) {
    const auto found = ChangeWord(term);
    if (!found) return false;
    const std::string_view word = *found;
    if (word == "changed" || word == Text(TextKey::ChangeColumn, 0))
        return (kinds & ~(kChangeAdded | kChangeRemoved)) != 0;
    const auto kind = ParseChangeKeyword(word);
    return kind && (kinds & *kind) != 0;
}
