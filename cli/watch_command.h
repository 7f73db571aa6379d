#pragma once

#include "cli/cli_options.h"
#include "cli/command_line.h"

// `quorvane --watch NODEID... --url URL`: subscribes to the points and prints one line per
// change on standard output, each flushed, until --seconds pass or SIGINT / SIGTERM comes.
// The exit code.
int RunWatch(const CliOptions& options, CliStreams& io);
