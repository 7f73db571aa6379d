#pragma once

#include <vector>

#include "discovery/discovered_server.h"

// Adds `found` to `servers`, or folds it into the entry with the same key: the sources join,
// endpoints it lacked are added. Returns the index of the entry.
std::size_t MergeServer(std::vector<DiscoveredServer>& servers, DiscoveredServer found);
