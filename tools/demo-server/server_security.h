#pragma once

#include <open62541/server.h>

#include <string>
#include <utility>
#include <vector>

// None plus Basic128Rsa15, Basic256 and Basic256Sha256 in Sign and SignAndEncrypt, with a
// certificate made at start and every client certificate accepted.
UA_StatusCode ConfigureSecureServer(UA_ServerConfig* config, UA_UInt16 port,
                                    const std::string& host);

// Anonymous always; user name and password for the given pairs (none: anonymous only).
UA_StatusCode ConfigureUsers(UA_ServerConfig* config,
                             const std::vector<std::pair<std::string, std::string>>& users);
