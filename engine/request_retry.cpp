#include "engine/request_retry.h"

#include "engine/browse_session_loss.h"
#include "engine/read_results.h"

RetryStep StepAfterFailure(UA_StatusCode status, std::size_t nodes, bool secondTry) {
    if (IsSessionLost(status)) return RetryStep::kSessionLost;
    if (IsReadLimitStatus(status) && nodes > 1) return RetryStep::kShrink;
    if (status == UA_STATUSCODE_BADTIMEOUT && !secondTry)
        return nodes > 1 ? RetryStep::kRetrySmaller : RetryStep::kRetry;
    return RetryStep::kGiveUp;
}
