#pragma once

#include <open62541/types.h>

#include <atomic>
#include <span>
#include <string>
#include <vector>

#include "engine/connection_settings.h"
#include "engine/ua_types.h"

// The endpoints a server offers, asked with GetEndpoints.

// Sign-in kinds an endpoint accepts, as bits.
enum TokenKind : unsigned {
    kTokenAnonymous = 1,
    kTokenUserName = 2,
    kTokenCertificate = 4,
    kTokenIssued = 8,
};

struct EndpointInfo {
    std::string policy;  // the name after the policy URI's '#', e.g. "Basic256Sha256"
    int policyIndex;     // index into kSecurityPolicies; -1 for a policy this program lacks
    int modeIndex;       // index into kSecurityModes; -1 for an invalid mode
    unsigned tokens;     // TokenKind bits
    int level;           // the server's security level
    // A password would be protected by Basic128Rsa15 (RSA PKCS#1 v1.5) and nothing stronger.
    bool passwordRsa15 = false;
};

// Owns the array GetEndpoints answered with.
struct Endpoints {
    UA_EndpointDescription* items = nullptr;
    std::size_t count = 0;

    Endpoints() = default;
    Endpoints(const Endpoints&) = delete;
    Endpoints& operator=(const Endpoints&) = delete;
    ~Endpoints() { UA_Array_delete(items, count, &UA_TYPES[UA_TYPES_ENDPOINTDESCRIPTION]); }
    std::span<const UA_EndpointDescription> View() const { return {items, count}; }
};

// Asks over a channel of its own without security, which every server offers for discovery.
// The channel is opened with a wait that `cancel` can end (then `cancelled` is set), so a
// silent server holds nobody up longer than `timeoutSeconds`.
UA_StatusCode FetchEndpoints(const std::string& url, int timeoutSeconds, Endpoints& out,
                             const std::atomic<bool>* cancel, bool& cancelled);

// The endpoints as this program names them, highest security level first (the server's order
// among equals), each policy and mode pair once.
std::vector<EndpointInfo> DescribeEndpoints(std::span<const UA_EndpointDescription> endpoints);

struct EndpointListing {
    UA_StatusCode status = UA_STATUSCODE_GOOD;
    bool cancelled = false;
    UnreachableCause cause = UnreachableCause::Unknown;  // when it failed and was not cancelled
    std::vector<EndpointInfo> endpoints;
};
// A URL that is no opc.tcp URL fails at once, without a connection.
EndpointListing ListEndpoints(const std::string& url, int timeoutSeconds,
                              const std::atomic<bool>* cancel = nullptr);

// The mode as --mode takes it: "None", "Sign", "SignAndEncrypt".
std::string ModeWord(int modeIndex);
// "anonymous,username,certificate" in that order; "none" without any.
std::string TokenWords(unsigned tokens);
// "<policy> <mode> <token kinds> level <n>", and " password-rsa15" when passwordRsa15.
std::string EndpointLine(const EndpointInfo& endpoint);
// "None/None, Basic256Sha256/SignAndEncrypt".
std::string OfferedPairs(const std::vector<EndpointInfo>& endpoints);
// The same with the sign-in kinds of each: "None/None anonymous, Basic256Sha256/SignAndEncrypt
// username".
std::string OfferedSignIns(const std::vector<EndpointInfo>& endpoints);
