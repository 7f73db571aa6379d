#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "store/inventory_store.h"
#include "store/stored_scan.h"

// The plant's inventory as the history tells it: each server with its last scan, how its last
// complete scan differs from the complete one before, and what a discovery found about its
// security.
struct InventoryEntry {
    struct Counts {
        std::size_t added = 0;
        std::size_t removed = 0;
        std::size_t changed = 0;
    };
    ServerIdentity server;
    std::optional<ScanSummary> lastScan;  // the newest, complete or cut short
    std::optional<ScanSummary> lastComplete;
    std::optional<Counts> changes;           // none without two complete scans
    std::optional<ServerFindings> findings;  // none when no discovery judged it
};

// Every server of `store`, by URL. Reads the points of two scans per server: call it off the
// user-interface thread.
std::vector<InventoryEntry> LoadInventory(InventoryStore& store);

enum InventoryColumn : int {
    kInventoryServer,
    kInventoryLastScan,
    kInventoryPoints,
    kInventoryChanges,
    kInventoryFindings,
    kInventoryColumnCount
};

// The header and the cells, in the current language. The findings cell is empty for a server
// no discovery judged.
std::string InventoryHeader(int column);
std::string InventoryCellText(const InventoryEntry& entry, int column);
// Every finding on a line of its own, "[high] anonymousOffered: Basic256".
std::string InventoryFindingLines(const InventoryEntry& entry);
