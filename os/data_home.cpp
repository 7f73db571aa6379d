#include "os/data_home.h"

#include <cstdlib>

std::filesystem::path QuorvaneDataHome() {
    const char* data = std::getenv("XDG_DATA_HOME");
    std::filesystem::path base;
    // An empty or relative value is to be ignored, as the base directory rules say.
    if (data != nullptr && data[0] == '/') {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home != nullptr ? home : "") / ".local" / "share";
    }
    return base / "quorvane";
}
