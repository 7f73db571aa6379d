#include "engine/walk_all_points.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "engine/browse_stats.h"
#include "engine/scan_drain.h"

void WalkAllPoints(OPCUABrowser& engine, PointList& list, OwnedPoints& records,
                   BrowseStats& stats) {
    std::atomic<bool> walkDone{false};
    std::thread walk([&] {
        engine.BrowseAll(&stats);
        walkDone = true;
    });
    constexpr std::size_t kBatch = 1 << 16;
    std::vector<OPCUAItemData*> batch;
    while (true) {
        const bool doneBefore = walkDone.load();
        batch.clear();
        const DrainResult drained = DrainPoints(list, batch, kBatch);
        records.Adopt(batch);
        if (drained.endSeen) break;
        if (drained.taken > 0 || drained.budgetHit) continue;
        if (doneBefore) break;  // the walk ended and the list was empty after it
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    walk.join();
}
