#include "discovery/endpoint_choice.h"

#include <algorithm>
#include <utility>

#include "engine/certificate_facts.h"

namespace {

const char* ModeText(int mode) {
    switch (mode) {
        case 2:
            return kSecurityModes[1];
        case 3:
            return kSecurityModes[2];
        default:
            return kSecurityModes[0];
    }
}

std::string WithHostOf(const std::string& url, const std::string& hostFrom) {
    const std::string oldHost = HostOfUrl(url);
    const std::string newHost = HostOfUrl(hostFrom);
    const auto at = url.find(oldHost);
    if (oldHost.empty() || newHost.empty() || at == std::string::npos) return url;
    const bool v6 = newHost.find(':') != std::string::npos;
    std::string replaced = url;
    // An IPv6 address keeps (or gets) its brackets.
    std::size_t from = at, length = oldHost.size();
    if (from > 0 && url[from - 1] == '[') {
        --from;
        length += 2;
    }
    replaced.replace(from, length, v6 ? "[" + newHost + "]" : newHost);
    return replaced;
}

}  // namespace

ConnectionSettings SettingsForEndpoint(const DiscoveredServer& server,
                                       const EndpointOffer& endpoint) {
    ConnectionSettings settings;
    settings.url =
        server.advertisedResolves ? endpoint.url : WithHostOf(endpoint.url, server.foundAt);
    if (settings.url.empty()) settings.url = server.foundAt;
    settings.securityMode = ModeText(endpoint.mode);
    settings.securityPolicy = PolicyNameOf(endpoint.policyUri);
    const auto offers = [&](int type) {
        return std::any_of(endpoint.tokens.begin(), endpoint.tokens.end(),
                           [&](const UserTokenOffer& t) { return t.type == type; });
    };
    settings.authKind = offers(0) || endpoint.tokens.empty() ? 1
                        : offers(1)                          ? 2
                        : offers(2)                          ? 3
                                                             : 1;
    return settings;
}

const EndpointOffer* PreferredEndpoint(const DiscoveredServer& server) {
    const auto best =
        std::max_element(server.endpoints.begin(), server.endpoints.end(),
                         [](const EndpointOffer& a, const EndpointOffer& b) {
                             return std::pair(a.mode, a.level) < std::pair(b.mode, b.level);
                         });
    return best == server.endpoints.end() ? nullptr : &*best;
}
