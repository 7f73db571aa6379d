#pragma once

#include <open62541/types.h>

#include <cstddef>
#include <vector>

// One stored value of a point: when the source had it, the value as a number (NaN when it is
// no number or boolean) and its status.
struct HistorySample {
    UA_DateTime sourceTime = 0;
    double value = 0;
    UA_StatusCode status = UA_STATUSCODE_GOOD;
};

// From `start` up to, not including, `end` (UTC).
struct HistoryPeriod {
    UA_DateTime start = 0;
    UA_DateTime end = 0;
};

enum class HistoryOutcome {
    kRead,       // every stored sample of the period is in `samples`
    kNoHistory,  // the server keeps no history of the point
    kCancelled,  // stopped on the way; `samples` holds what came until then
    kFailed,     // the read failed; `status` says why
};

struct HistoryResult {
    HistoryOutcome outcome = HistoryOutcome::kFailed;
    UA_StatusCode status = UA_STATUSCODE_GOOD;
    std::vector<HistorySample> samples;  // in the order the server sent them, oldest first
    std::size_t responses = 0;           // HistoryRead answers it took
};
