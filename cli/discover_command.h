#pragma once

#include <string>
#include <vector>

#include "cli/command_line.h"

// Runs `quorvane --discover ...`: the list (one row per server endpoint, or --format json) on
// standard output or into --export's file, notes and the summary line on standard error, a
// progress line there too when `progressLine` (standard error is a terminal). Exit 0 when the
// run completed, whatever it found; 2 for bad arguments; 4 when the list could not be written.
int RunDiscoverCommand(const std::vector<std::string>& args, CliStreams& io, bool progressLine);
