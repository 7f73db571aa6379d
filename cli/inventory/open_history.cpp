#include "cli/inventory/open_history.h"

#include <ostream>

#include "history/change_texts.h"
#include "store/store_location.h"

std::unique_ptr<InventoryStore> OpenHistory(std::ostream& err) {
    const std::filesystem::path path = DefaultInventoryPath();
    InventoryStore::Opened opened = InventoryStore::Open(path);
    if (opened.store) return std::move(opened.store);
    if (opened.failure == StoreOpenFailure::NewerVersion) {
        err << "quorvane: "
            << FillText(TextKey::StoreNewerVersion,
                        {{"found", std::to_string(opened.foundVersion)},
                         {"ours", std::to_string(InventorySchemaVersion())}})
            << path.string() << "\n";
    } else {
        err << "quorvane: " << Text(TextKey::StoreCannotOpen) << path.string();
        if (!opened.detail.empty()) err << ": " << opened.detail;
        err << "\n";
    }
    return nullptr;
}
