#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "discovery/discovered_server.h"

// Asks one URL for its endpoints with a short-lived client of its own: a secure channel
// without security and GetEndpoints over it, never a session. When the server names another
// discovery URL for itself, it is asked there too and that answer wins. None when the server
// did not answer; `status` gets the library's status name then.
std::optional<DiscoveredServer> ProbeEndpoints(const std::string& url,
                                               std::chrono::milliseconds timeout,
                                               std::string* status = nullptr);

// Whether the host part of `url` resolves to an address.
bool HostResolves(const std::string& url);
