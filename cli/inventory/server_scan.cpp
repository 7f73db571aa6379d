#include "cli/inventory/server_scan.h"

#include <chrono>

#include "engine/browse_stats.h"
#include "engine/opcua_browser.h"
#include "engine/walk_all_points.h"
#include "store/point_snapshot.h"

std::int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

ServerScan ScanServer(const ConnectionSettings& settings) {
    ServerScan scan;
    scan.startedMs = NowMs();
    PointList list;
    OwnedPoints records;
    {
        OPCUABrowser engine(&list);
        scan.outcome = engine.Connect(settings);
        scan.detail = engine.LastConnectDetail();
        scan.serverTrust = engine.LastServerTrust();
        if (scan.outcome != ConnectOutcome::Connected) {
            scan.endedMs = NowMs();
            return scan;
        }
        BrowseStats stats;
        WalkAllPoints(engine, list, records, stats);
        scan.complete = !stats.sessionLost && !stats.interrupted;
    }
    list.clear();
    scan.endedMs = NowMs();
    scan.points = SnapshotOf(records.View());
    return scan;
}
