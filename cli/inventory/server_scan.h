#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/connection_settings.h"
#include "engine/server_trust.h"
#include "history/scan_facts.h"
#include "store/stored_scan.h"

// One server scanned for the history: connect, walk the whole address space, keep what the
// history keeps of each point. Blocks; runs on the caller's thread with a session of its own.
struct ServerScan {
    ConnectOutcome outcome = ConnectOutcome::UnknownKind;
    ConnectDetail detail;
    std::optional<ServerTrust> serverTrust;
    bool complete = false;  // connected, and the walk went to its end
    std::vector<StoredPoint> points;
    std::int64_t startedMs = 0;
    std::int64_t endedMs = 0;
};

ServerScan ScanServer(const ConnectionSettings& settings);

// Milliseconds since 1970, now.
std::int64_t NowMs();
