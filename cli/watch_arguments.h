#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/inventory/history_arguments.h"

// Takes args[i] when it is --watch (with the NodeIds after it, up to the next option),
// --seconds or --sampling, moving `i` past their values; `error` says why one is refused.
ArgumentTaken ParseWatchArgument(const std::vector<std::string>& args, std::size_t& i,
                                 WatchOptions& watch, CliError& error);

// Whether the options go with --watch once all are read; `urlGiven` when --url was.
std::optional<CliError> CheckWatchOptions(const CliOptions& options, bool urlGiven);
