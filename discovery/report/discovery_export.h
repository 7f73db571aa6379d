#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "discovery/discovery_run.h"

class ReplacingFile;

enum class DiscoveryFormat { Csv, Json, Xlsx };

// "csv", "json", "xlsx" (any case); none otherwise.
std::optional<DiscoveryFormat> DiscoveryFormatNamed(std::string_view name);
// By the path's extension; csv when it has none of the three.
DiscoveryFormat DiscoveryFormatOfPath(std::string_view path);

// The list as .csv (one row per server endpoint) or .json text; xlsx is no text.
std::string DiscoveryText(const DiscoveryResult& result, DiscoveryFormat format, int lang);

// Writes the list with its findings into `file` and commits it; false with nothing replaced
// on failure.
bool WriteDiscovery(const DiscoveryResult& result, DiscoveryFormat format, ReplacingFile& file,
                    int lang);
