#pragma once

#include <open62541/client.h>

#include <string>
#include <vector>

// The steps that turn connection settings into a client configuration, apart from the connect
// itself so that each can be checked without a server.

// How long the secure channel and the session live. Neither follows the response timeout: a
// channel that lived only as long as the timeout expired between two refresh passes, and a
// session that short was gone by the time a stopped list was written to.
struct SessionTiming {
    UA_UInt32 channelLifetimeMs = 10 * 60 * 1000;  // the client renews it at three quarters
    UA_UInt32 sessionTimeoutMs = 60 * 60 * 1000;   // the server may grant less
};

// The timeout in seconds, as milliseconds, into the response timeout; `timing` into the secure
// channel lifetime and the requested session timeout. Applied after the library defaults.
void ApplyTimeout(UA_ClientConfig& config, int timeoutSeconds, const SessionTiming& timing = {});

// The session's locales, most wanted first, so localised names come in the user's language.
// Replaces what the configuration held.
void ApplySessionLocales(UA_ClientConfig& config, const std::vector<std::string>& localeIds);

// "http://opcfoundation.org/UA/SecurityPolicy#" + name; the name is not checked.
std::string SecurityPolicyUri(const std::string& policyName);

// "None", "Sign", "Sign & Encrypt" exactly; anything else is INVALID, which lets the library
// take any mode the server offers.
UA_MessageSecurityMode SecurityModeFromName(const std::string& modeName);

// Everything a signed-in connect needs besides the timeout: policy URI and mode, the encrypting
// policies built on `certificate` and `privateKey` (the library's own plus any of Basic128Rsa15,
// Basic256, Basic256Sha256 and the two Aes policies it lacks), the None policy carrying the
// certificate, every server certificate refused until one is pinned (certificate_pin.h), and
// `applicationUri`, which the certificate names. An empty or unusable certificate or key leaves
// only the None policy. The configuration keeps its own copies of both.
void ConfigureSecurity(UA_ClientConfig& config, const UA_ByteString& certificate,
                       const UA_ByteString& privateKey, const std::string& policyName,
                       const std::string& modeName, const std::string& applicationUri);
