#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_options.h"

enum class ArgumentTaken { NotOurs, Taken, Refused };

// Takes args[i] (and its values, moving `i` past them) when it is an option of the history or
// the inventory; `error` says why when it is refused.
ArgumentTaken ParseHistoryArgument(const std::vector<std::string>& args, std::size_t& i,
                                   HistoryOptions& options, CliError& error);

// Whether the options go together once all are read; `urlGiven` when --url was.
std::optional<CliError> CheckHistoryOptions(const CliOptions& options, bool urlGiven);
