#include "store/store_location.h"

#include "os/data_home.h"
#include "os/private_folder.h"

std::filesystem::path DefaultInventoryPath() { return QuorvaneDataHome() / "inventory.sqlite"; }

bool PrepareInventoryFolder(const std::filesystem::path& database) {
    const std::filesystem::path folder = database.parent_path();
    if (folder.empty()) return true;
    // The history names servers, users and every point: nobody else's business, and every
    // folder made on the way is 0700 whatever the umask.
    return MakePrivateFolders(folder);
}
