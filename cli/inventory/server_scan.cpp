#include "cli/inventory/server_scan.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "engine/browse_stats.h"
#include "engine/opcua_browser.h"
#include "engine/scan_drain.h"
#include "store/point_snapshot.h"

namespace {

// The records taken out of the point list are ours until they are turned into snapshots.
struct OwnedRecords {
    std::vector<OPCUAItemData*> rows;
    ~OwnedRecords() {
        for (OPCUAItemData* record : rows) delete record;
    }
};

}  // namespace

std::int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

ServerIdentity IdentityOf(const std::string& url, const std::optional<ServerTrust>& trust) {
    ServerIdentity server;
    server.endpointUrl = url;
    if (trust && !trust->presented.der.empty()) {
        server.applicationUri = trust->presented.applicationUri;
        server.certificateSubject = trust->presented.subject;
        server.certificateFingerprint = FingerprintText(trust->presented.fingerprint);
    }
    return server;
}

ServerScan ScanServer(const ConnectionSettings& settings) {
    ServerScan scan;
    scan.startedMs = NowMs();
    PointList list;
    OwnedRecords records;
    {
        OPCUABrowser engine(&list);
        scan.outcome = engine.Connect(settings);
        scan.detail = engine.LastConnectDetail();
        scan.serverTrust = engine.LastServerTrust();
        if (scan.outcome != ConnectOutcome::Connected) {
            scan.endedMs = NowMs();
            return scan;
        }
        std::atomic<bool> walkDone{false};
        BrowseStats stats;
        std::thread walk([&] {
            engine.BrowseAll(&stats);
            walkDone = true;
        });
        // The list holds a limited number of records: take them while the walk runs.
        constexpr std::size_t kBatch = 1 << 16;
        while (true) {
            const bool doneBefore = walkDone.load();
            const DrainResult drained = DrainPoints(list, records.rows, kBatch);
            if (drained.endSeen) break;
            if (drained.taken > 0 || drained.budgetHit) continue;
            if (doneBefore) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        walk.join();
        scan.complete = !stats.sessionLost && !stats.interrupted;
    }
    list.clear();
    scan.endedMs = NowMs();
    scan.points = SnapshotOf(records.rows);
    return scan;
}
