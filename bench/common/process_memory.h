#pragma once

#include <cstddef>

// Resident memory of this process from /proc/self/status, in bytes: now, and the peak since
// start or the last ResetPeakResident.
std::size_t ResidentBytes();
std::size_t PeakResidentBytes();
// Starts the peak over from the current size (Linux: /proc/self/clear_refs). False if refused.
bool ResetPeakResident();
