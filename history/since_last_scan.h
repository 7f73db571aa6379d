#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "history/scan_comparison.h"
#include "store/inventory_store.h"

// A new scan held against the server's last complete one: what the window's status line and
// its Change column show after a scan, and what the inventory's summary says.
struct SinceLastScan {
    long long baseScanId = 0;
    std::int64_t baseStartedMs = 0;
    ScanComparison comparison;
    // The kinds of change of each point of the new scan, in its order (0: as it was).
    std::vector<std::uint16_t> pointKinds;
    // Scans cut short stored after the base: passed over, and the status line says so.
    std::size_t cutShortSince = 0;
};

// Which stored scan (oldest first) a new one is held against: the last complete one, never one
// cut short; and how many cut short came after it (all of them when there is no base).
struct ComparisonBase {
    std::optional<ScanSummary> scan;
    std::size_t cutShortAfter = 0;
};
ComparisonBase LastCompleteScan(std::span<const ScanSummary> scans);

// Compares `points` with the last complete scan of `url` stored; none when there is none (a
// first scan) or it cannot be read. Call before the new scan is recorded.
std::optional<SinceLastScan> CompareWithLastScan(InventoryStore& store, const std::string& url,
                                                 std::span<const StoredPoint> points);

// Whether a filter word is a change term: "change:WORD", or "变化:WORD" as typed in Chinese
// (either colon).
bool IsChangeTerm(std::string_view term);
// Whether a filter's change term matches a row with these kinds; WORD is a kind's keyword or
// name in either language ("change:added", "change:type", "变化:改名"), or "changed" / "变化"
// for any kind but added.
bool MatchesChangeTerm(std::string_view term, std::uint16_t kinds);
