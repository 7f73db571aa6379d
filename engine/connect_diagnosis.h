#pragma once

#include <open62541/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "engine/connection_settings.h"

// Telling apart the reasons a server could not be reached, which the library reports with one
// status.

struct OpcTcpAddress {
    std::string host;  // without the brackets of an IPv6 address
    std::string port;  // "4840" when the URL names none
};

// "opc.tcp://host[:port][/path]"; none for anything else (another scheme, no host, a port that
// is no number from 1 to 65535).
std::optional<OpcTcpAddress> ParseOpcTcpUrl(std::string_view url);

// A wait long enough to tell a refused port from silence on any real network.
inline constexpr std::chrono::milliseconds kDiagnosisBudget{2000};

// After a connect to `url` failed with `status` without reaching a server: looks the host up
// and tries a plain TCP connection within `budget` to tell a refused port from silence; where
// something listens, greets it as an OPC UA client would to tell a stranger (a web server, say)
// or a peer that hangs up from a server that failed later on.
UnreachableCause DiagnoseUnreachable(const std::string& url, UA_StatusCode status,
                                     std::chrono::milliseconds budget);
