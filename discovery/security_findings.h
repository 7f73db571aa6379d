#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "discovery/discovered_server.h"

// What GetEndpoints alone says about a server's security, at time `now` (seconds since 1970).
// The shared certificate needs the whole list: see MarkSharedCertificates.
std::vector<SecurityFinding> JudgeServer(const DiscoveredServer& server, std::int64_t now);

// Adds the finding to every server whose certificate another server of `servers` shows too.
void MarkSharedCertificates(std::vector<DiscoveredServer>& servers);

// The worst severity among the findings; none when there are none.
std::optional<Severity> WorstSeverity(const std::vector<SecurityFinding>& findings);

// "12 servers: 3 without security, 5 allow anonymous, 2 share one certificate" in `lang`.
std::string SummaryLine(const std::vector<DiscoveredServer>& servers, int lang);
