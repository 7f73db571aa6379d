#pragma once

#include <open62541/client.h>

#include <cstdint>
#include <functional>

#include "engine/history_read/history_sample.h"

// The stored values of `nodeId` over `period` (HistoryReadRawModified, raw values, source
// times), following the server's continuation points to the end. `perRequest` asks the server
// for at most that many values an answer (0: as many as it likes). `stop`, asked between
// answers, ends the read early; the continuation point held then is released. A server or point
// without history gives kNoHistory. Runs on the thread that owns `client`.
HistoryResult ReadRawHistory(UA_Client* client, const UA_NodeId& nodeId,
                             const HistoryPeriod& period, std::uint32_t perRequest = 0,
                             const std::function<bool()>& stop = {});

// Whether `status` (of the service or of the node's result) says that no history is kept.
bool MeansNoHistory(UA_StatusCode status);
