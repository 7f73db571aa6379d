#include "cli/scan_export.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "engine/browse_stats.h"
#include "engine/opcua_browser.h"
#include "engine/scan_drain.h"
#include "export/util/utf_convert.h"

namespace {

// The records taken out of the point list belong here until the end.
struct OwnedRecords {
    std::vector<OPCUAItemData*> rows;
    ~OwnedRecords() {
        for (OPCUAItemData* record : rows) delete record;
    }
};

// Takes records while the walk runs: the list holds a limited number, so the walk waits for
// room. Ends at the end marker, or when the walk has stopped and nothing is left.
void TakeAll(PointList& list, const std::atomic<bool>& walkDone, OwnedRecords& records) {
    constexpr std::size_t kBatch = 1 << 16;
    while (true) {
        const bool doneBefore = walkDone.load();
        const DrainResult drained = DrainPoints(list, records.rows, kBatch);
        if (drained.endSeen) return;
        if (drained.taken > 0 || drained.budgetHit) continue;
        if (doneBefore) return;  // the walk ended and the list was empty after it
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace

ExportFormat TargetFormat(const ExportTarget& target) {
    if (target.format) return *target.format;
    if (target.fd >= 0) return ExportFormat::Csv;  // text is what a pipe's reader expects
    return ChooseExportFormat(SaveFilter::All, target.path);
}

ScanExportResult ScanAndExport(const ConnectionSettings& settings, const ExportTarget& target,
                               const WalkedHook& walked) {
    ScanExportResult result;
    result.format = TargetFormat(target);
    PointList list;
    OwnedRecords records;
    {
        OPCUABrowser engine(&list);
        result.outcome = engine.Connect(settings);
        result.detail = engine.LastConnectDetail();
        result.serverTrust = engine.LastServerTrust();
        if (result.outcome != ConnectOutcome::Connected) return result;
        std::atomic<bool> walkDone{false};
        BrowseStats stats;
        std::thread walk([&] {
            engine.BrowseAll(&stats);
            walkDone = true;
        });
        TakeAll(list, walkDone, records);
        walk.join();
        result.sessionLost = stats.sessionLost;
    }
    list.clear();  // anything left behind an early end
    result.points = records.rows.size();
    if (walked) walked(records.rows, !result.sessionLost, result.serverTrust);
    result.exported = target.fd >= 0
                          ? ExportPointsTo(records.rows, target.fd, result.format)
                          : ExportPoints(records.rows, Utf8ToUtf16(target.path), result.format);
    return result;
}
