#include "discovery/server_merge.h"

#include <algorithm>

namespace {

bool SameEndpoint(const EndpointOffer& a, const EndpointOffer& b) {
    return a.url == b.url && a.mode == b.mode && a.policyUri == b.policyUri;
}

}  // namespace

std::size_t MergeServer(std::vector<DiscoveredServer>& servers, DiscoveredServer found) {
    const std::string key = ServerKey(found);
    const auto same = std::find_if(servers.begin(), servers.end(),
                                   [&](const DiscoveredServer& s) { return ServerKey(s) == key; });
    if (same == servers.end()) {
        servers.push_back(std::move(found));
        return servers.size() - 1;
    }
    same->sources |= found.sources;
    for (EndpointOffer& e : found.endpoints) {
        const bool known = std::any_of(same->endpoints.begin(), same->endpoints.end(),
                                       [&](const EndpointOffer& k) { return SameEndpoint(k, e); });
        if (!known) same->endpoints.push_back(std::move(e));
    }
    if (same->certificateDer.empty() && !found.certificateDer.empty()) {
        same->certificateDer = std::move(found.certificateDer);
        same->certificate = std::move(found.certificate);
        same->strength = found.strength;
    }
    return static_cast<std::size_t>(same - servers.begin());
}
