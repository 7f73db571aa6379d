#include "store/store_location.h"

#include <sys/stat.h>

#include <cstdlib>
#include <system_error>

std::filesystem::path DefaultInventoryPath() {
    const char* data = std::getenv("XDG_DATA_HOME");
    std::filesystem::path base;
    if (data != nullptr && data[0] == '/') {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home != nullptr ? home : "") / ".local" / "share";
    }
    return base / "quorvane" / "inventory.sqlite";
}

bool PrepareInventoryFolder(const std::filesystem::path& database) {
    const std::filesystem::path folder = database.parent_path();
    if (folder.empty()) return true;
    std::error_code error;
    if (std::filesystem::is_directory(folder, error)) return true;
    std::filesystem::create_directories(folder, error);
    if (error) return false;
    // The history names servers, users and every point: nobody else's business.
    return ::chmod(folder.c_str(), 0700) == 0;
}
