#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// What a Local Discovery Server told: the discovery URLs of the servers it knows, each once.
struct LdsAnswer {
    std::vector<std::string> urls;
    std::optional<std::string> failure;  // FindServers failed: the status name
};

// FindServers, then FindServersOnNetwork (which many discovery servers do not offer; its
// failure alone is no failure), each over a client of its own that is thrown away afterwards.
LdsAnswer AskDiscoveryServer(const std::string& url, std::chrono::milliseconds timeout);
