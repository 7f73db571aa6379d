#pragma once

#include <open62541/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/browse_points.h"
#include "engine/ua_types.h"

struct BrowseStats;

// A node to browse next, with the display name its path will show.
struct ChildNode {
    UaNodeId id;
    std::string name;
};

// Moves the targets of one browse result of the object `object` (its index in the records'
// paths) out of it: every variable becomes a new record in `points` below that object (counted
// in the statistics' pointsFound when its NodeId is new), every other target goes to `children`,
// except objects named exactly "Server". The result keeps husks.
void TakeReferences(UA_BrowseResult& result, std::uint32_t object, std::vector<ChildNode>& children,
                    PointRecords& points, BrowseStats& stats);
