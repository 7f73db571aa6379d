#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <vector>

#include "engine/connection_settings.h"
#include "engine/opcua_item_data.h"
#include "engine/server_trust.h"
#include "store/inventory_store.h"
#include "store/stored_scan.h"

// What the history records of one scan's sign-in: the kind and the user name, never a password.
ScanFacts FactsOf(const ConnectionSettings& settings, std::int64_t startedMs, std::int64_t endedMs,
                  bool complete);

// Records the scan of `--export` in the user's history; one line on `err` when it cannot be,
// the export goes on regardless.
void RecordExportScan(const ConnectionSettings& settings, const std::optional<ServerTrust>& trust,
                      const ScanFacts& facts, const std::vector<OPCUAItemData*>& records,
                      std::ostream& err);
