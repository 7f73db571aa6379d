#pragma once

#include <open62541/client.h>
#include <open62541/server.h>

#include <string>
#include <utility>
#include <vector>

// None plus Basic128Rsa15, Basic256 and Basic256Sha256 in Sign and SignAndEncrypt, with a
// certificate made at start and every client certificate accepted.
struct DemoServerOptions;
UA_StatusCode ConfigureSecureServer(UA_ServerConfig* config, UA_UInt16 port,
                                    const DemoServerOptions& options);

// The certificate and key the server is configured with (see ConfigureSecureServer), as DER.
UA_StatusCode ServerCertificatePair(const UA_Logger* log, const DemoServerOptions& options,
                                    UA_ByteString* certificate, UA_ByteString* key);

// A client configuration for registering with a discovery server: this library registers only
// over a signed and encrypted channel, so it carries the pair and accepts the server's
// certificate.
UA_StatusCode ConfigureRegisterClient(UA_ClientConfig* cc, const UA_ByteString& certificate,
                                      const UA_ByteString& key, const std::string& uri);

// Anonymous always; user name and password for the given pairs (none: anonymous only).
UA_StatusCode ConfigureUsers(UA_ServerConfig* config,
                             const std::vector<std::pair<std::string, std::string>>& users);
