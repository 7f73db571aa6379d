#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/connection_settings.h"
#include "engine/server_trust.h"
#include "store/stored_scan.h"

// What the history records of one scan, for the window and the command line alike.

// The server as the scan met it: the URL, and the certificate when the session was shown one.
ServerIdentity IdentityOf(const std::string& url, const std::optional<ServerTrust>& trust);

// How the scan went: its times, whether it went to its end, the sign-in kind and the user name,
// never a password.
ScanFacts FactsOf(const ConnectionSettings& settings, std::int64_t startedMs, std::int64_t endedMs,
                  bool complete);
