#pragma once

#include <open62541/client.h>

#include <cstddef>
#include <span>

#include "engine/opcua_item_data.h"

struct BrowseStats;

// Points in one Read when the server names no limit. One Read of every point would hold
// request and response for all of them at once, well over a hundred bytes a point at the
// peak; slices this size keep that small and several of them travel at once.
inline constexpr std::size_t kDefaultNodesPerRead = 8192;

enum class ReadEnd { kComplete, kSessionLost, kInterrupted };

// Reads the values and UserAccessLevels of the walk's points in slices of at most
// `maxNodesPerRead` attributes (0: the default), several on their way at once, and stores each
// slice's results as ReadValues would, with the time of that slice's answer. A slice refused for its size is halved (and so
// are the ones after it); one that times out is tried once more in halves; one that fails
// otherwise is marked "BAD", and so is every slice not yet read, which would fare no better.
// A lost session marks everything not yet read "BAD" and ends the read at once.
ReadEnd ReadWalkValues(UA_Client* client, std::span<OPCUAItemData* const> records,
                       std::size_t maxNodesPerRead, BrowseStats& stats);
