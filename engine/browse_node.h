#pragma once

#include <open62541/client.h>

#include <vector>

#include "engine/browse_points.h"
#include "engine/ua_types.h"

struct BrowseStats;

enum class BrowseOutcome {
    kComplete,     // every reference of the node was taken
    kNodeFailed,   // the server refused the node or part of it; what came is kept
    kSessionLost,  // the connection or session is gone; nothing more can be browsed
    kInterrupted,  // the thread was asked to stop between two requests
};

// Browses the forward references of `nodeId` to objects and variables. Object targets go to
// `children` (except objects named exactly "Server"), every variable target becomes a new
// record in `points`. Continuation points are followed with BrowseNext until the node is
// complete; one that is given up is released, since the server keeps only a few per session.
BrowseOutcome BrowseNode(UA_Client* client, const UA_NodeId& nodeId,
                         std::vector<UaNodeId>& children, PointRecords& points, BrowseStats* stats);
