#include "history/inventory_summary.h"

#include <algorithm>

#include "history/change_texts.h"
#include "history/scan_comparison.h"

namespace {

TextKey SeverityKey(int severity) {
    if (severity >= 3) return TextKey::SeverityHigh;
    return severity == 2 ? TextKey::SeverityMedium : TextKey::SeverityLow;
}

InventoryEntry EntryOf(InventoryStore& store, ServerIdentity server) {
    InventoryEntry entry;
    const std::vector<ScanSummary> scans = store.Scans(server.endpointUrl);
    std::optional<ScanSummary> earlierComplete;
    for (const ScanSummary& scan : scans) {
        if (!scan.facts.complete) continue;
        earlierComplete = std::move(entry.lastComplete);
        entry.lastComplete = scan;
    }
    if (!scans.empty()) entry.lastScan = scans.back();
    if (entry.lastComplete && earlierComplete) {
        const auto before = store.Points(earlierComplete->id);
        const auto after = store.Points(entry.lastComplete->id);
        if (before && after) {
            const ScanComparison c = CompareScans(*before, *after);
            entry.changes = InventoryEntry::Counts{c.added, c.removed, c.changed};
        }
    }
    entry.findings = store.Findings(server.endpointUrl);
    entry.server = std::move(server);
    return entry;
}

}  // namespace

std::vector<InventoryEntry> LoadInventory(InventoryStore& store) {
    std::vector<InventoryEntry> entries;
    for (ServerIdentity& server : store.Servers())
        entries.push_back(EntryOf(store, std::move(server)));
    return entries;
}

std::string InventoryHeader(int column) {
    switch (column) {
        case kInventoryServer:
            return Text(TextKey::InventoryColumnServer);
        case kInventoryLastScan:
            return Text(TextKey::InventoryColumnLastScan);
        case kInventoryPoints:
            return Text(TextKey::InventoryColumnPoints);
        case kInventoryChanges:
            return Text(TextKey::InventoryColumnChanges);
        case kInventoryFindings:
            return Text(TextKey::InventoryColumnFindings);
        default:
            return {};
    }
}

std::string InventoryCellText(const InventoryEntry& entry, int column) {
    switch (column) {
        case kInventoryServer:
            return entry.server.endpointUrl;
        case kInventoryLastScan:
            if (!entry.lastScan) return {};
            if (entry.lastScan->facts.complete)
                return LocalTimeText(entry.lastScan->facts.startedMs);
            return FillText(TextKey::InventoryLastCutShort,
                            {{"time", LocalTimeText(entry.lastScan->facts.startedMs)}});
        case kInventoryPoints:
            return entry.lastScan ? std::to_string(entry.lastScan->points) : std::string();
        case kInventoryChanges:
            if (!entry.lastComplete) return Text(TextKey::InventoryNoCompleteScan);
            if (!entry.changes) return Text(TextKey::InventoryFirstComplete);
            return FillText(TextKey::InventoryChangeCounts,
                            {{"added", std::to_string(entry.changes->added)},
                             {"removed", std::to_string(entry.changes->removed)},
                             {"changed", std::to_string(entry.changes->changed)}});
        case kInventoryFindings: {
            if (!entry.findings) return {};
            const auto& found = entry.findings->findings;
            if (found.empty()) return Text(TextKey::InventoryNoFindings);
            const auto worst = std::max_element(found.begin(), found.end(),
                                                [](const StoredFinding& a, const StoredFinding& b) {
                                                    return a.severity < b.severity;
                                                });
            return FillText(TextKey::InventoryFindingCount,
                            {{"count", std::to_string(found.size())},
                             {"worst", Text(SeverityKey(worst->severity))}});
        }
        default:
            return {};
    }
}

std::string InventoryFindingLines(const InventoryEntry& entry) {
    std::string lines;
    if (!entry.findings) return lines;
    for (const StoredFinding& f : entry.findings->findings) {
        if (!lines.empty()) lines += '\n';
        lines += "[" + Text(SeverityKey(f.severity)) + "] " + f.kind;
        if (!f.detail.empty()) lines += ": " + f.detail;
    }
    return lines;
}
