#include "engine/scan_drain.h"

#include <memory>

DrainResult DrainPoints(PointList& list, std::vector<OPCUAItemData*>& batch,
                        std::size_t maxRecords) {
    DrainResult result;
    while (result.taken < maxRecords) {
        OPCUAItemData* record = nullptr;
        if (!list.get(record, false)) return result;
        if (record == nullptr) continue;
        if (IsEndMarker(*record)) {
            const std::unique_ptr<OPCUAItemData> marker(record);  // taken, and gone here
            result.endSeen = true;
            return result;
        }
        batch.push_back(record);
        ++result.taken;
    }
    result.budgetHit = true;
    return result;
}

int NextPollDelayMs(const DrainResult& result, int periodMs, int flowingMs) {
    return (result.taken > 0 || result.budgetHit) ? flowingMs : periodMs;
}
