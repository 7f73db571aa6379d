#pragma once

#include <cstddef>
#include <vector>

#include "engine/opcua_browser.h"

struct DrainResult {
    std::size_t taken = 0;   // records appended to the batch (the end marker not counted)
    bool endSeen = false;    // the end marker was taken and released
    bool budgetHit = false;  // stopped at `maxRecords` with the list possibly not empty
};

// Takes records from `list` without waiting and appends them to `batch`, until the list is empty,
// the end marker comes (it is released here) or `maxRecords` have been taken.
DrainResult DrainPoints(PointList& list, std::vector<OPCUAItemData*>& batch,
                        std::size_t maxRecords);

// When the next scan poll should run: soon while records are flowing, so a walk that waits for
// room in the list is never kept waiting a whole period; otherwise after `periodMs`.
int NextPollDelayMs(const DrainResult& result, int periodMs, int flowingMs);
