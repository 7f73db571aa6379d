#pragma once

#include <string>

#include "discovery/discovery_run.h"

// {"summary": ..., "servers": [one object per server with its endpoints, certificate and
// findings], "otherPorts": [...], "notes": [...]}; texts in `lang`.
std::string DiscoveryJson(const DiscoveryResult& result, int lang);
