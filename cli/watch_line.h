#pragma once

#include <open62541/types.h>

#include <string>

#include "engine/live/live_change.h"

// One line of `quorvane --watch` for a change of `nodeId`: its time (the source's, else
// `fallback`), the NodeId, the value and the quality, as CSV (RFC 4180 fields) or as one JSON
// object; no line end.
std::string WatchLine(const LiveChange& change, const std::string& nodeId, UA_DateTime fallback,
                      bool json);

// "2026-12-10T21:30:05.120Z": UTC, milliseconds, for scripts whatever the local zone.
std::string IsoTime(UA_DateTime utc);
