#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "history/scan_comparison.h"
#include "store/inventory_store.h"

// A new scan held against the server's last complete one: what the window's status line and
// its Change column show after a scan, and what the inventory's summary says.
struct SinceLastScan {
    long long baseScanId = 0;
    std::int64_t baseStartedMs = 0;
    ScanComparison comparison;
    // The kinds of change of each point of the new scan that changed, by NodeId text.
    std::unordered_map<std::string, std::uint16_t> rowKinds;
};

// Compares `points` with the last complete scan of `url` stored; none when there is none (a
// first scan) or it cannot be read. Call before the new scan is recorded.
std::optional<SinceLastScan> CompareWithLastScan(InventoryStore& store, const std::string& url,
                                                 std::span<const StoredPoint> points);

// Whether a filter's "change:WORD" term matches a row with these kinds; WORD is a kind's
// keyword or name in either language ("change:added", "change:type"), or "changed" for any
// kind but added.
bool MatchesChangeTerm(std::string_view term, std::uint16_t kinds);
