#pragma once

#include <open62541/client.h>

#include <cstddef>
#include <span>

#include "engine/opcua_item_data.h"
#include "engine/sliced_read.h"

struct BrowseStats;

// Points in one Read when the server names no limit. One Read of every point would hold
// request and response for all of them at once, well over a hundred bytes a point at the
// peak; slices this size keep that small and several of them travel at once.
inline constexpr std::size_t kDefaultNodesPerRead = 8192;

// Reads the values and UserAccessLevels of the walk's points in slices of at most
// `maxNodesPerRead` attributes (0: the default), several on their way at once, and stores each
// slice's results as ReadValues would, with the time of that slice's answer. Failed slices are
// retried or given up as ReadInSlices says; what is given up is marked "BAD". Thread
// interruption ends the read.
ReadEnd ReadWalkValues(UA_Client* client, std::span<OPCUAItemData* const> records,
                       std::size_t maxNodesPerRead, BrowseStats& stats);
