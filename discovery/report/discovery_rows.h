#pragma once

#include <string>
#include <vector>

#include "discovery/discovery_run.h"

// The list as a table: one row per server endpoint with the server's columns repeated, then
// one row per port that answered but not as OPC UA. Texts in `lang`.
using DiscoveryRow = std::vector<std::string>;

DiscoveryRow DiscoveryHeader(int lang);
std::vector<DiscoveryRow> DiscoveryRows(const DiscoveryResult& result, int lang);

// "trusted", "unknown", "changed" in `lang`; empty without a certificate.
std::string TrustText(const DiscoveredServer& server, int lang);
// "sweep,lds,mdns,url".
std::string SourceWords(unsigned sources);
// "anonymous,username(None)": each token kind, with the policy protecting it when it has one.
std::string TokenOffers(const EndpointOffer& endpoint);
// "Server", "Client", "ClientAndServer", "DiscoveryServer"; the number for any other value.
std::string ApplicationTypeName(int applicationType);
// "RSA 2048".
std::string KeyText(const CertificateStrength& strength);
