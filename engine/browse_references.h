#pragma once

#include <open62541/types.h>

#include <vector>

#include "engine/browse_points.h"
#include "engine/ua_types.h"

struct BrowseStats;

// Moves the targets of one browse result out of it: every variable becomes a new record in
// `points` (counted in the statistics' pointsFound as it is made), every other target goes to
// `children`, except objects named exactly "Server". The result keeps husks.
void TakeReferences(UA_BrowseResult& result, std::vector<UaNodeId>& children,
                    PointRecords& points, BrowseStats& stats);
