#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <vector>

#include "engine/connection_settings.h"
#include "engine/opcua_item_data.h"
#include "engine/server_trust.h"
#include "history/scan_facts.h"
#include "store/inventory_store.h"
#include "store/stored_scan.h"

// Records the scan of `--export` in the user's history; one line on `err` when it cannot be,
// the export goes on regardless.
void RecordExportScan(const ConnectionSettings& settings, const std::optional<ServerTrust>& trust,
                      const ScanFacts& facts, const std::vector<OPCUAItemData*>& records,
                      std::ostream& err);
