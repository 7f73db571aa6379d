#include "bench/common/process_memory.h"

#include <cstdio>
#include <cstring>

namespace {

std::size_t StatusKilobytes(const char* key) {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    std::size_t kb = 0;
    const std::size_t keyLength = std::strlen(key);
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, key, keyLength) == 0) {
            std::sscanf(line + keyLength, " %zu", &kb);
            break;
        }
    }
    std::fclose(f);
    return kb;
}

}  // namespace

std::size_t ResidentBytes() { return StatusKilobytes("VmRSS:") * 1024; }
std::size_t PeakResidentBytes() { return StatusKilobytes("VmHWM:") * 1024; }

bool ResetPeakResident() {
    std::FILE* f = std::fopen("/proc/self/clear_refs", "w");
    if (!f) return false;
    const bool ok = std::fputs("5", f) >= 0;
    return std::fclose(f) == 0 && ok;
}
