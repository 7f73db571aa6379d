#pragma once

#include "cli/cli_options.h"
#include "cli/command_line.h"

// `--history --url URL`: the stored scans of the server, oldest first. Exit 0, or 2 when the
// history cannot be opened.
int ListScanHistory(const CliOptions& options, CliStreams& io);

// `--diff --url URL [--scans A B | --since DATE]`: what changed, as diff(1) exits: 0 nothing,
// 1 changes, 2 trouble (no history, no scans to compare).
int DiffScans(const CliOptions& options, CliStreams& io);
