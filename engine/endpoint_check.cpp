#include "engine/endpoint_check.h"

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>

namespace {

std::string Bytes(const UA_String& s) {
    return s.length == 0 ? std::string()
                         : std::string(reinterpret_cast<const char*>(s.data), s.length);
}

using TokenKey = std::tuple<int, std::string, std::string, std::string>;

// What one policy and mode pair stands for, merged over the URLs it is listed under.
struct Offer {
    std::set<std::string> certificates;
    std::set<TokenKey> tokens;
    std::set<int> levels;
    std::set<std::string> servers;
};

using Offers = std::map<std::pair<std::string, int>, Offer>;

Offers OffersOf(std::span<const UA_EndpointDescription> endpoints) {
    Offers offers;
    for (const UA_EndpointDescription& e : endpoints) {
        Offer& offer = offers[{Bytes(e.securityPolicyUri), static_cast<int>(e.securityMode)}];
        offer.certificates.insert(Bytes(e.serverCertificate));
        offer.levels.insert(e.securityLevel);
        offer.servers.insert(Bytes(e.server.applicationUri));
        for (std::size_t i = 0; i < e.userIdentityTokensSize; ++i) {
            const UA_UserTokenPolicy& t = e.userIdentityTokens[i];
            // An empty token policy URI means the channel's: the same protection either way.
            const std::string protection = t.securityPolicyUri.length == 0
                                               ? Bytes(e.securityPolicyUri)
                                               : Bytes(t.securityPolicyUri);
            offer.tokens.emplace(static_cast<int>(t.tokenType), Bytes(t.policyId), protection,
                                 Bytes(t.issuedTokenType));
        }
    }
    return offers;
}

}  // namespace

EndpointChange CompareEndpoints(std::span<const UA_EndpointDescription> listed,
                                std::span<const UA_EndpointDescription> inChannel) {
    const Offers before = OffersOf(listed);
    const Offers inside = OffersOf(inChannel);
    // A missing pair first: dropping the secure endpoints is the change that matters most.
    for (const auto& [pair, offer] : inside) {
        if (!before.count(pair)) return EndpointChange::Withheld;
    }
    for (const auto& [pair, offer] : before) {
        if (!inside.count(pair)) return EndpointChange::Invented;
    }
    for (const auto& [pair, offer] : inside) {
        const Offer& other = before.at(pair);
        if (offer.certificates != other.certificates) return EndpointChange::Certificate;
        if (offer.tokens != other.tokens) return EndpointChange::UserTokens;
        if (offer.levels != other.levels) return EndpointChange::SecurityLevel;
        if (offer.servers != other.servers) return EndpointChange::Server;
    }
    return EndpointChange::None;
}
