#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

// What the command line asks of the scan history and the inventory.
struct HistoryOptions {
    bool noHistory = false;     // --no-history: this run's scans are not recorded
    std::string inventoryFile;  // --inventory FILE: scan every server it lists
    int jobs = 0;               // --jobs N: servers scanned at once; 0 the default, 8
    bool list = false;          // --history: the stored scans of --url
    bool diff = false;          // --diff: what changed between two scans of --url
    std::optional<std::pair<long long, long long>> scans;  // --scans A B
    std::optional<std::int64_t> sinceMs;                   // --since DATE, local time
    bool json = false;                                     // --format json

    int Jobs() const { return jobs > 0 ? jobs : 8; }
    bool Wanted() const { return !inventoryFile.empty() || list || diff; }
};

// "YYYY-MM-DD", "YYYY-MM-DD HH:MM" or "YYYY-MM-DDTHH:MM[:SS]" in local time, as milliseconds
// since 1970; none when it is no such date.
std::optional<std::int64_t> ParseLocalDate(const std::string& text);
