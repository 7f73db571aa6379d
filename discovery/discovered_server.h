#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "discovery/certificate_strength.h"
#include "discovery/security_finding.h"
#include "discovery/sweep/hello_exchange.h"
#include "engine/certificate_facts.h"
#include "engine/server_trust.h"

// Where a server was heard of, as bits.
enum DiscoverySource : unsigned {
    kSourceSweep = 1,
    kSourceLds = 2,
    kSourceMdns = 4,
    kSourceGiven = 8,
};

struct UserTokenOffer {
    int type = 0;           // UA_UserTokenType: 0 anonymous, 1 user name, 2 certificate, 3 issued
    std::string policyUri;  // empty: the endpoint's own policy protects the token
};

struct EndpointOffer {
    std::string url;
    int mode = 0;  // UA_MessageSecurityMode: 1 None, 2 Sign, 3 SignAndEncrypt
    std::string policyUri;
    int level = 0;
    std::vector<UserTokenOffer> tokens;
};

// What GetEndpoints told about one server; nothing here needed a session.
struct DiscoveredServer {
    std::string applicationName;
    std::string applicationUri;
    std::string productUri;
    int applicationType = 0;  // UA_ApplicationType: 0 server, 1 client, 2 both, 3 discovery
    std::vector<std::string> discoveryUrls;
    std::string foundAt;        // the URL it answered at
    std::string advertisedUrl;  // the endpoint URL it names itself by
    bool advertisedResolves = true;
    std::vector<EndpointOffer> endpoints;
    std::vector<std::uint8_t> certificateDer;
    std::optional<CertificateFacts> certificate;
    CertificateStrength strength;
    std::optional<TrustVerdict> trust;  // none without a certificate
    unsigned sources = 0;
    std::vector<SecurityFinding> findings;
};

// A port that answered, but not as an OPC UA server; kept and shown, never probed further.
struct OtherPort {
    std::string address;
    std::uint16_t port = 0;
    PortState state = PortState::NotOpcUa;
};

// The key two sources are matched by: application URI and endpoint URL.
std::string ServerKey(const DiscoveredServer& server);
// The URL without trailing slashes.
std::string NormalUrl(std::string url);

// The policy name after the URI's '#': "Basic256Sha256"; "None" for an empty URI.
std::string PolicyNameOf(const std::string& policyUri);
// "None", "Sign", "SignAndEncrypt"; "Invalid" otherwise.
std::string ModeNameOf(int mode);
// "anonymous", "username", "certificate", "issued".
std::string TokenNameOf(int type);
