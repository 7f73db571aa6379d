#pragma once

#include <open62541/types.h>

#include <cstddef>

// What to do about a request the server did not answer as a whole. One policy for every Read
// and Browse the engine sends:
// - a lost session ends the work at once: every later request would first try to reconnect;
// - a request refused for its size is sent again halved, and later ones no larger;
// - a timeout gets one more try, in smaller pieces when it carried several nodes: a server busy
//   with one large request may well answer smaller ones;
// - anything else, or a second timeout, is final for what the request carried.
enum class RetryStep { kSessionLost, kShrink, kRetrySmaller, kRetry, kGiveUp };

// `nodes` is what the failed request carried; `secondTry` whether it was already a retry after
// a timeout.
RetryStep StepAfterFailure(UA_StatusCode status, std::size_t nodes, bool secondTry);
