#pragma once

#include <cstddef>

#include "cli/cli_options.h"
#include "cli/command_line.h"

// `--inventory FILE`: scans every server of the file, `--jobs` at once, each with a session of
// its own and the same trust rules; records every scan (unless --no-history), writes one table
// (or one file per server into DIR/) when --export is given, and a summary line per server on
// standard error. Exit 0 all complete, 5 any untrusted, 6 any cut short or not scanned, 4 the
// output could not be written, 2 bad input; the worst wins.
int RunInventory(const CliOptions& options, CliStreams& io,
                 struct InventoryTimings* timings = nullptr);

// Where an inventory's time went, for the benchmark.
struct InventoryTimings {
    double totalSeconds = 0;
    double walkSeconds = 0;   // all servers' connects and walks, added up
    double storeSeconds = 0;  // recording and comparing, added up
    double exportSeconds = 0;
    std::size_t points = 0;
};
