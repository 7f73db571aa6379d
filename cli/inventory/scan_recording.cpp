#include "cli/inventory/scan_recording.h"

#include <ostream>

#include "cli/inventory/open_history.h"
#include "cli/inventory/server_scan.h"
#include "store/point_snapshot.h"
#include "texts/text_table.h"

void RecordExportScan(const ConnectionSettings& settings, const std::optional<ServerTrust>& trust,
                      const ScanFacts& facts, const std::vector<OPCUAItemData*>& records,
                      std::ostream& err) {
    auto store = OpenHistory(err);
    if (!store) return;
    const std::vector<StoredPoint> points = SnapshotOf(records);
    if (!store->RecordScan(IdentityOf(settings.url, trust), facts, points))
        err << "quorvane: " << Text(TextKey::StoreWriteFailed) << store->LastError() << "\n";
}
