#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "discovery/discovered_server.h"
#include "store/inventory_store.h"

// The URL the history knows `server` by: the one a connect to its preferred endpoint uses, as
// a scan of it would record it.
std::string HistoryUrlOf(const DiscoveredServer& server);

// Stores each server's findings, judged at `judgedMs`, replacing what an earlier discovery
// found; a server with none is stored as judged and clean. False when any could not be
// stored (the others are).
bool RecordFindings(InventoryStore& store, const std::vector<DiscoveredServer>& servers,
                    std::int64_t judgedMs);
