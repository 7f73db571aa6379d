#include "discovery/sources/endpoint_probe.h"

#include <netdb.h>
#include <open62541/client_config_default.h>

#include "engine/endpoint_list.h"
#include "engine/library_log.h"
#include "engine/ua_text.h"

namespace {

UA_StatusCode Fetch(const std::string& url, std::chrono::milliseconds timeout, Endpoints& out) {
    const UaClientPtr client = NewClient();
    if (!client) return UA_STATUSCODE_BADOUTOFMEMORY;
    UA_ClientConfig* config = UA_Client_getConfig(client.get());
    UA_ClientConfig_setDefault(config);
    config->timeout = static_cast<UA_UInt32>(timeout.count());
    // GetEndpoints opens a channel only; it never creates a session.
    const UA_StatusCode status =
        UA_Client_getEndpoints(client.get(), url.c_str(), &out.count, &out.items);
    UA_Client_disconnect(client.get());
    return status;
}

DiscoveredServer Describe(const std::string& url, const Endpoints& endpoints) {
    DiscoveredServer server;
    server.foundAt = url;
    const auto view = endpoints.View();
    if (view.empty()) return server;
    const UA_ApplicationDescription& app = view.front().server;
    server.applicationName = UaText(app.applicationName.text);
    server.applicationUri = UaText(app.applicationUri);
    server.productUri = UaText(app.productUri);
    server.applicationType = static_cast<int>(app.applicationType);
    for (std::size_t i = 0; i < app.discoveryUrlsSize; ++i)
        server.discoveryUrls.push_back(UaText(app.discoveryUrls[i]));
    server.advertisedUrl = UaText(view.front().endpointUrl);
    for (const UA_EndpointDescription& e : view) {
        EndpointOffer offer;
        offer.url = UaText(e.endpointUrl);
        offer.mode = static_cast<int>(e.securityMode);
        offer.policyUri = UaText(e.securityPolicyUri);
        offer.level = e.securityLevel;
        for (std::size_t t = 0; t < e.userIdentityTokensSize; ++t) {
            offer.tokens.push_back({static_cast<int>(e.userIdentityTokens[t].tokenType),
                                    UaText(e.userIdentityTokens[t].securityPolicyUri)});
        }
        server.endpoints.push_back(std::move(offer));
        if (server.certificateDer.empty() && e.serverCertificate.length > 0) {
            const auto bytes = BytesOf(e.serverCertificate);
            server.certificateDer.assign(bytes.begin(), bytes.end());
        }
    }
    if (!server.certificateDer.empty()) {
        server.certificate = ReadCertificateFacts(server.certificateDer);
        server.strength = ReadCertificateStrength(server.certificateDer);
    }
    server.advertisedResolves = server.advertisedUrl.empty() || HostResolves(server.advertisedUrl);
    return server;
}

bool SameUrl(const std::string& a, const std::string& b) { return NormalUrl(a) == NormalUrl(b); }

}  // namespace

bool HostResolves(const std::string& url) {
    const std::string host = HostOfUrl(url);
    if (host.empty()) return false;
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    const bool found = ::getaddrinfo(host.c_str(), nullptr, &hints, &list) == 0;
    if (list != nullptr) ::freeaddrinfo(list);
    return found;
}

std::optional<DiscoveredServer> ProbeEndpoints(const std::string& url,
                                               std::chrono::milliseconds timeout,
                                               std::string* status) {
    Endpoints endpoints;
    const UA_StatusCode s = Fetch(url, timeout, endpoints);
    if (s != UA_STATUSCODE_GOOD) {
        if (status) *status = UA_StatusCode_name(s);
        return std::nullopt;
    }
    DiscoveredServer server = Describe(url, endpoints);
    if (server.discoveryUrls.empty()) return server;
    const std::string& own = server.discoveryUrls.front();
    if (own.rfind("opc.tcp://", 0) != 0 || SameUrl(own, url) || !HostResolves(own)) return server;
    Endpoints again;
    if (Fetch(own, timeout, again) != UA_STATUSCODE_GOOD || again.count == 0) return server;
    DiscoveredServer reasked = Describe(url, again);
    return reasked;
}
