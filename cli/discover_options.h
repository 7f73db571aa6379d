#pragma once

#include <optional>
#include <string>
#include <vector>

#include "discovery/discovery_run.h"
#include "discovery/report/discovery_export.h"
#include "discovery/sweep/address_range.h"

// What `quorvane --discover ...` asks for.
struct DiscoverOptions {
    DiscoveryRequest request;
    std::string exportPath;  // empty or "-": standard output
    std::optional<DiscoveryFormat> format;
    int language = -1;
    bool verbose = false;
    bool noHistory = false;  // --no-history: the findings are not recorded
};

struct DiscoverParse {
    std::optional<DiscoverOptions> options;
    InputError error{TextKey::DiscoverBadOption, {}};
};

// True when the arguments ask for the discovery run.
bool WantsDiscovery(const std::vector<std::string>& args);

// Options from the arguments after the program name; "--name value" and "--name=value" both
// work. Ranges are resolved here, so a name that does not resolve is a bad argument. Without any
// source the local discovery server and mDNS are asked.
DiscoverParse ParseDiscoverOptions(const std::vector<std::string>& args);
